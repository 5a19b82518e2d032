// The page's layout on screens of every size: how many fish and bubbles,
// where they start, where they go, and the screenshots people look at.
import { existsSync } from 'node:fs';
import { join } from 'node:path';

import { FISH, IMAGES_DIR, animate, check, closeWithoutErrors } from './harness.mjs';

// Fish count and motion-change interval per layout, bubble count.
const WORKED = [
  { w: 800, h: 600, centred: [3, 2000], stretched: [5, 1200], bubbles: 8 },
  { w: 1024, h: 768, centred: [4, 1500], stretched: [6, 1000], bubbles: 10 },
  { w: 1280, h: 1024, centred: [5, 1200], stretched: [7, 857], bubbles: 13 },
  { w: 1920, h: 1080, centred: [8, 750], stretched: [11, 545], bubbles: 19 },
];

async function countsRun(openPage, row, layout) {
  const [fishWanted, intervalWanted] = row[layout];
  const label = `${row.w}x${row.h} ${layout}`;
  const opened = await openPage(layout, row.w, row.h);
  const { page, context, allErrors } = opened;
  const s = await page.evaluate(() => ({
    screen: [screen.width, screen.height],
    area: [doc_left, doc_top, doc_right, doc_bottom, doc_width, doc_height],
    fishElements: document.querySelectorAll('img[id^="images"]').length,
    bubbleElements: document.querySelectorAll('div[id^="bubble"]').length,
    fish: imgs.map((f) => ({
      id: f.id, src: f.src, left: f.style.pixelLeft, top: f.style.pixelTop, w: f.style.pixelWidth, h: f.style.pixelHeight,
      visible: f.style.visibility, motion: f.motion, vMove: f.vMove, moveX: f.moveX, moveY: f.moveY, z: f.style.zIndex,
    })),
    bubbles: [...Array(num_bubbles).keys()].map((i) => ({
      w: bub_width[i], h: bub_height[i], x: window.__initial.x_pos[i], y: window.__initial.y_pos[i],
      z: document.getElementById('bubble' + i).style.zIndex, amp: amp[i], stepX: step_x[i], stepY: step_y[i],
    })),
    intervals: window.__clock.log.intervals,
  }));
  const [L, T, R, B, W, H] = s.area;
  check(`${label}: screen reported as set`, s.screen[0] === row.w && s.screen[1] === row.h, s.screen);
  check(`${label}: ${fishWanted} fish`, s.fishElements === fishWanted && s.fish.length === fishWanted, [s.fishElements, s.fish.length]);
  check(`${label}: ${row.bubbles} bubbles`, s.bubbleElements === row.bubbles, s.bubbleElements);
  check(`${label}: one changeImageMotion timer every ${intervalWanted} ms`,
    s.intervals.length === 1 && s.intervals[0].handler === 'changeImageMotion()' && s.intervals[0].delay === intervalWanted, s.intervals);
  const wantArea = layout === 'centred'
    ? [Math.floor(row.w * 0.15), Math.floor(row.h * 0.15), row.w - Math.floor(row.w * 0.15), row.h - Math.floor(row.h * 0.15)]
    : [0, 0, row.w, row.h];
  check(`${label}: animation area`, [L, T, R, B].join() === wantArea.join() && W === R - L && H === B - T, s.area);

  const badFish = s.fish.filter((f, k) => {
    const [stem, w, h, , mx, my] = FISH[k % 6];
    const facing = f.motion < 2 ? '_l.gif' : '_r.gif';
    return f.id !== `images${k}` || !f.src.endsWith(`/${IMAGES_DIR}/${stem}${facing}`) || f.w !== w || f.h !== h
      || f.moveX !== mx || f.moveY !== my || f.visible !== 'visible' || f.z !== '1'
      || ![0, 1, 2, 3].includes(f.motion) || ![0, 1].includes(f.vMove)
      || f.left < L || f.left > L + W - w || f.top < T || f.top > T + H / 1.1 - h;
  });
  check(`${label}: fish start from their table entries, facing their way, inside the upper area`, badFish.length === 0, badFish);
  const badBubbles = s.bubbles.filter((b, i) => {
    const [w, h] = i % 2 === 0 ? [24, 24] : [14, 14];
    return b.w !== w || b.h !== h || b.z !== '2' || b.x < L || b.x > L + W - w || b.y < T || b.y > T + H - h
      || !(b.amp >= 0 && b.amp < 7) || !(b.stepX >= 0.03 && b.stepX < 0.13) || !(b.stepY >= 1.2 && b.stepY < 2.2);
  });
  check(`${label}: bubbles alternate 24x24 and 14x14, start inside the area`, badBubbles.length === 0, badBubbles);

  const ext = await animate(page, 10_000);
  const errors = await allErrors();
  check(`${label}: no page error over 10 s of animation`, errors.length === 0, errors.slice(0, 3));
  const chains = fishWanted + 1 + 1;
  const wantChains = [...Array(fishWanted).keys()].map((k) => `moveImage(${k},${FISH[k % 6][3]})`).concat(['moveBubbles()', 'changeImageMotion()']);
  const have = ext.pending.map((p) => p.handler).sort();
  check(`${label}: one timer chain per fish, one for the bubbles, after 10 s`,
    ext.pending.length === chains && wantChains.sort().join() === have.join(), have);
  check(`${label}: every fish moved`, ext.moved === fishWanted, ext.moved);
  if (layout === 'centred') {
    // A turn happens one step past the edge; a few pixels of slack allow for
    // a motion change that points a fish back out at the edge.
    const slack = 3 * 3;
    check(`${label}: fish stay over the picture`,
      ext.fishMinLeft >= L - slack && ext.fishMaxRight <= R + slack && ext.fishMinTop >= T - slack && ext.fishMaxBottom <= B / 1.1 + slack, ext);
  } else {
    check(`${label}: fish stay within one picture of the screen`,
      ext.fishMinLeft >= -105 - 3 && ext.fishMaxRight <= row.w + 105 + 3 && ext.fishMinTop >= -77 - 1 && ext.fishMaxBottom <= row.h + 77 + 1, ext);
  }
  check(`${label}: bubbles rise within the area`, ext.bubbleMinTop >= T && ext.bubbleMaxBottom <= B, ext);
  await context.close();
}

export async function countsRuns({ openPage }) {
  for (const row of WORKED) {
    for (const layout of ['centred', 'stretched']) await countsRun(openPage, row, layout);
  }
}

export async function narrowScreens({ openPage }) {
  for (const [layout, w, h, bubbles] of [['stretched', 80, 60, 1], ['centred', 120, 90, 1], ['stretched', 40, 30, 0]]) {
    const label = `${w}x${h} ${layout}`;
    const opened = await openPage(layout, w, h);
    const { page } = opened;
    await page.evaluate(() => window.__clock.advance(10_000));
    const r = await page.evaluate(() => ({
      fish: num_images, bubbles: num_bubbles, fishElements: document.querySelectorAll('img[id^="images"]').length,
      intervals: window.__clock.log.intervals, badDelays: window.__clock.log.badDelays, pending: window.__clock.pending(),
      tops: [...Array(num_bubbles).keys()].map((i) => document.getElementById('bubble' + i).style.pixelTop),
    }));
    check(`${label}: no fish and no motion-change timer`, r.fish === 0 && r.fishElements === 0 && r.intervals.length === 0, r);
    check(`${label}: no timer without a positive interval`, r.badDelays.length === 0, r.badDelays);
    check(`${label}: ${bubbles} bubble(s) still rising`, r.bubbles === bubbles
      && r.pending.map((p) => p.handler).join() === 'moveBubbles()', r);
    await closeWithoutErrors(opened, `${label}: no page error`);
  }
}

export async function screenshots({ openPage, outDir }) {
  for (const layout of ['centred', 'stretched']) {
    const opened = await openPage(layout, 1024, 768);
    const { page } = opened;
    await page.evaluate(() => window.__clock.advance(3000));
    const loaded = await page.evaluate(() => [...document.images].filter((im) => im.id && !(im.complete && im.naturalWidth > 0)).map((im) => im.id));
    const file = join(outDir, `page_${layout}.png`);
    await page.screenshot({ path: file });
    check(`${layout} screenshot saved with every fish picture loaded`, existsSync(file) && loaded.length === 0, loaded);
    await closeWithoutErrors(opened, `${layout} screenshot: no page error`);
  }
}
