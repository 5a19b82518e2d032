// Which bubble pictures the page picks for the browser's version, and how it
// writes them and the fish.
import { IE55, IE6, IMAGES_DIR, check, closeWithoutErrors } from './harness.mjs';

export async function bubblePictures({ openPage }) {
  for (const [ua, version, files, sizes] of [
    [IE6, 6, ['bubble1.png', 'bubble2.png'], [24, 14]],
    [IE55, 5, ['bubble1.gif', 'bubble2.gif'], [24, 11]],
  ]) {
    const label = `MSIE ${version === 6 ? '6.0' : '5.5'}`;
    const opened = await openPage('centred', 1024, 768, ua);
    const { page } = opened;
    const r = await page.evaluate(() => ({
      ieVersion,
      bubble: bubble.map((b) => ({ src: b.src.replace(/.*\//, ''), w: b.width, h: b.height })),
      written: [...Array(num_bubbles).keys()].map((i) => window.__written['bubble' + i]),
      divs: [...Array(num_bubbles).keys()].map((i) => {
        const d = document.getElementById('bubble' + i);
        return { tag: d.tagName, imgs: [...d.children].map((c) => ({ tag: c.tagName, src: c.src.replace(/.*\//, ''), border: c.getAttribute('border') })) };
      }),
      fishStyle: window.__written.images0.style,
    }));
    check(`${label}: browser version ${version}`, r.ieVersion === version, r.ieVersion);
    check(`${label}: bubble table ${files.join(', ')}`,
      r.bubble.length === 2 && r.bubble.every((b, k) => b.src === files[k] && b.w === sizes[k] && b.h === sizes[k]), r.bubble);
    if (version >= 6) {
      const bad = r.written.filter((wr, i) => {
        const s = sizes[i % 2];
        const m = /^position:absolute; width:(\d+)px; height:(\d+)px; left:(\d+)px; top:(\d+)px; z-index:2; filter:progid:DXImageTransform\.Microsoft\.AlphaImageLoader\(src='([^']+)',sizingMethod='image'\);$/.exec(wr.style);
        return wr.tag !== 'DIV' || wr.inner !== '' || !m || +m[1] !== s || +m[2] !== s || !m[5].endsWith(`/${IMAGES_DIR}/${files[i % 2]}`);
      });
      check(`${label}: bubbles are empty DIVs drawing the PNG through the alpha loader`, bad.length === 0, bad.slice(0, 2));
    } else {
      const bad = r.divs.filter((d, i) => d.tag !== 'DIV' || d.imgs.length !== 1 || d.imgs[0].tag !== 'IMG'
        || d.imgs[0].src !== files[i % 2] || d.imgs[0].border !== '0' || /filter/i.test(r.written[i].style)
        || !r.written[i].style.includes(`width:${sizes[i % 2]}px; height:${sizes[i % 2]}px;`));
      check(`${label}: bubbles are IMG elements of the GIFs, bubble[1] 11x11`, bad.length === 0, bad.slice(0, 2));
    }
    check(`${label}: fish written hidden, of no size, with the blur`, r.fishStyle ===
      'position:absolute; width:0px; height:0px; left:0px; top:0px; z-index:1; visibility:hidden; filter:progid:DXImageTransform.Microsoft.Blur(pixelradius=1);', r.fishStyle);
    await page.evaluate(() => window.__clock.advance(10_000));
    await closeWithoutErrors(opened, `${label}: no page error over 10 s of animation`);
  }
}

export async function browserVersion({ openPage }) {
  const { page, context } = await openPage('centred', 1024, 768);
  const got = await page.evaluate(() => {
    const result = {};
    for (const ua of ['Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)', 'Mozilla/4.0 (compatible; MSIE 10.0; Windows NT 6.1)',
      'Mozilla/4.0 (compatible; MSIE 4.01; Windows 95)', 'MSIE 6.0 at the start', 'Mozilla/5.0 (X11; Linux x86_64) Gecko/20100101']) {
      Object.defineProperty(navigator, 'userAgent', { value: ua, configurable: true });
      result[ua] = msieversion();
    }
    return result;
  });
  check('msieversion reads the number after "MSIE ", 0 when absent or at the start',
    JSON.stringify(Object.values(got)) === JSON.stringify([6, 10, 4, 0, 0]), got);
  await context.close();
}
