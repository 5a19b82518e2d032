import { spawnSync } from 'node:child_process';
import { join } from 'node:path';

import { IE6, check, closeWithoutErrors } from './harness.mjs';

// The desktop mode draws the same aquarium natively. Its scene, run by the
// native tool scene_dump on the same seed and the same clock, must put every
// fish and bubble where the page puts it, at every sample.
const CROSS_MS = 20_000;
const CROSS_STEP = 20;

export async function sceneCrossCheck({ openPage, outDir }) {
  const SCENE_DUMP = process.env.MERVALIS_SCENE_DUMP || join(outDir, '..', '..', 'native', 'scene_dump');
  const seen = { turns: 0, restarts: 0, wraps: 0 };
  let seed = 9001;
  for (const [w, h] of [[800, 600], [1024, 768], [1280, 1024], [1920, 1080], [1366, 768], [2560, 1440], [300, 200]]) {
    for (const layout of ['centred', 'stretched']) {
      const label = `desktop scene ${w}x${h} ${layout} seed ${seed}`;
      const dump = spawnSync(SCENE_DUMP, [w, h, layout, seed, CROSS_MS, CROSS_STEP].map(String), { encoding: 'utf8', maxBuffer: 64 << 20 });
      if (dump.status !== 0) {
        check(`${label}: scene_dump ran`, false, `${SCENE_DUMP}: ${dump.error || dump.stderr}`);
        seed++;
        continue;
      }
      const native = JSON.parse(dump.stdout);
      const opened = await openPage(layout, w, h, IE6, seed);
      const web = await opened.page.evaluate(({ total, step }) => {
        const name = (src) => src.replace(/.*\//, '');
        const samples = [];
        for (let t = 0; ; t += step) {
          samples.push({
            t,
            fish: imgs.map((f) => [f.style.pixelLeft, f.style.pixelTop, name(f.src)]),
            bubbles: [...Array(num_bubbles).keys()].map((i) => {
              const s = document.getElementById('bubble' + i).style;
              return [s.pixelLeft, s.pixelTop];
            }),
          });
          if (t + step > total) break;
          window.__clock.advance(step);
        }
        return { fishCount: num_images, bubbleCount: num_bubbles, area: [doc_left, doc_top, doc_right, doc_bottom], samples };
      }, { total: CROSS_MS, step: CROSS_STEP });
      check(`${label}: same counts and area`,
        web.fishCount === native.fishCount && web.bubbleCount === native.bubbleCount && web.area.join() === native.area.join(),
        { page: [web.fishCount, web.bubbleCount, web.area], native: [native.fishCount, native.bubbleCount, native.area] });
      const n = Math.min(web.samples.length, native.samples.length);
      let bad = web.samples.length === native.samples.length ? -1 : n;
      for (let k = 0; k < n && bad < 0; k++) {
        if (JSON.stringify(web.samples[k]) !== JSON.stringify(native.samples[k])) bad = k;
      }
      check(`${label}: every fish and bubble where the page has it, ${web.samples.length} samples to ${CROSS_MS} ms`, bad < 0,
        bad < 0 ? undefined : { page: web.samples[bad], native: native.samples[bad] });
      // What the comparison went through: fish turning, wrapping, bubbles starting again.
      for (let k = 1; k < web.samples.length; k++) {
        const [a, b] = [web.samples[k - 1], web.samples[k]];
        b.fish.forEach((f, i) => {
          if (f[2] !== a.fish[i][2]) seen.turns++;
          if (Math.abs(f[0] - a.fish[i][0]) > 50 || Math.abs(f[1] - a.fish[i][1]) > 50) seen.wraps++;
        });
        b.bubbles.forEach((p, i) => { if (p[1] > a.bubbles[i][1]) seen.restarts++; });
      }
      await closeWithoutErrors(opened, `${label}: no page error`);
      seed++;
    }
  }
  check('desktop scene: the comparison went through fish turns, wraps and bubble restarts',
    seen.turns > 0 && seen.wraps > 0 && seen.restarts > 0, seen);
  console.log('# desktop scene comparison saw', JSON.stringify(seen));
}
