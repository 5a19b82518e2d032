// Runs the wallpaper page in headless Chromium and checks its animation.
//
//   node page_test.mjs <template.html> <payload-assets-dir> <background-picture> <out-dir>
//
// The page is written for the desktop's Internet Explorer engine. What only
// that engine had is supplied here, by the harness, never by the page: the
// pixelLeft/pixelTop/pixelWidth/pixelHeight style properties, an "MSIE"
// user agent, and a stand-in for the alpha-image filter so that the PNG
// bubbles show in the screenshots. Timers run on a virtual clock and
// Math.random is seeded, so every run is fast and repeatable.

import { chromium } from 'playwright-core';
import { spawnSync } from 'node:child_process';
import { copyFileSync, existsSync, mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

const PAGE_NAME = 'Quorvane - Mervalis.html';
const IMAGES_DIR = 'QVImages/Mervalis';
const LAYOUT_TAG = '<PAGE_LAYOUT>';
const PICTURES = [
  'fish1_l.gif', 'fish1_r.gif', 'fish2_l.gif', 'fish2_r.gif', 'fish3_l.gif', 'fish3_r.gif',
  'fish4_l.gif', 'fish4_r.gif', 'bubble1.png', 'bubble2.png', 'bubble1.gif', 'bubble2.gif',
  'fish5_l.gif', 'fish5_r.gif', 'fish6_l.gif', 'fish6_r.gif',
];
const IE6 = 'Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1)';
const IE55 = 'Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)';

// Fish table entries: picture stem, width, height, ms per step, moveX, moveY.
const FISH = [
  ['fish2', 70, 48, 40, 3, 1],
  ['fish1', 90, 77, 35, 2, 1],
  ['fish4', 95, 62, 40, 2, 1],
  ['fish6', 90, 77, 35, 2, 1],
  ['fish5', 95, 62, 40, 2, 1],
  ['fish3', 105, 49, 45, 2, 1],
];

// Fish count and motion-change interval per layout, bubble count.
const WORKED = [
  { w: 800, h: 600, centred: [3, 2000], stretched: [5, 1200], bubbles: 8 },
  { w: 1024, h: 768, centred: [4, 1500], stretched: [6, 1000], bubbles: 10 },
  { w: 1280, h: 1024, centred: [5, 1200], stretched: [7, 857], bubbles: 13 },
  { w: 1920, h: 1080, centred: [8, 750], stretched: [11, 545], bubbles: 19 },
];

let passed = 0;
let failed = 0;
function check(name, ok, detail) {
  if (ok) {
    passed++;
    console.log(`ok - ${name}`);
  } else {
    failed++;
    console.log(`not ok - ${name}${detail === undefined ? '' : ` (${typeof detail === 'string' ? detail : JSON.stringify(detail)})`}`);
  }
}
function finish(code) {
  console.log(`PAGE-RESULT passed=${passed} failed=${failed}`);
  process.exit(code ?? (failed > 0 || passed === 0 ? 1 : 0));
}

// Runs in the page before any of its own script.
function harness({ seed }) {
  let state = seed >>> 0;
  Math.random = function () {
    state = (state + 0x6d2b79f5) >>> 0;
    let t = state;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };

  for (const [name, css] of [['pixelLeft', 'left'], ['pixelTop', 'top'], ['pixelWidth', 'width'], ['pixelHeight', 'height']]) {
    Object.defineProperty(CSSStyleDeclaration.prototype, name, {
      configurable: true,
      get() {
        const v = parseFloat(this[css]);
        return Number.isFinite(v) ? Math.round(v) : 0;
      },
      set(v) {
        this[css] = Math.round(Number(v)) + 'px';
      },
    });
  }

  // Virtual clock: timers run only when the test advances it.
  const timers = new Map();
  let now = 0;
  let lastId = 0;
  let order = 0;
  const log = { intervals: [], badDelays: [], errors: [] };
  function schedule(t) {
    t.at = now + Math.max(t.repeat ? 1 : 0, t.delay);
    t.order = ++order;
  }
  function add(handler, delay, args, repeat) {
    // Browsers run a timer with a missing, negative or infinite delay at once.
    const d = Number(delay);
    const valid = d > 0 && Number.isFinite(d);
    if (!valid) log.badDelays.push({ repeat, handler: String(handler), delay: String(delay) });
    if (repeat) log.intervals.push({ handler: String(handler), delay: d });
    const t = { id: ++lastId, handler, args, repeat, delay: valid ? d : 0 };
    schedule(t);
    timers.set(t.id, t);
    return t.id;
  }
  window.setTimeout = (h, d, ...a) => add(h, d, a, false);
  window.setInterval = (h, d, ...a) => add(h, d, a, true);
  window.clearTimeout = window.clearInterval = (id) => timers.delete(id);
  const globalEval = eval;
  function run(t) {
    try {
      if (typeof t.handler === 'function') t.handler(...t.args);
      else globalEval(String(t.handler));
    } catch (e) {
      log.errors.push(String((e && e.stack) || e));
    }
  }
  function nextDue(limit) {
    let next = null;
    for (const t of timers.values()) {
      if (t.at <= limit && (!next || t.at < next.at || (t.at === next.at && t.order < next.order))) next = t;
    }
    return next;
  }
  function runOne(t) {
    now = t.at;
    if (t.repeat) schedule(t);
    else timers.delete(t.id);
    run(t);
  }
  const find = (prefix) => [...timers.values()].find((t) => String(t.handler).startsWith(prefix));
  window.__clock = {
    log,
    now: () => now,
    pending: () => [...timers.values()].map((t) => ({ handler: String(t.handler), delay: t.delay, repeat: t.repeat })),
    advance(ms) {
      const end = now + ms;
      for (let t = nextDue(end); t; t = nextDue(end)) runOne(t);
      now = end;
    },
    // Runs everything due up to and including the next timer whose text
    // starts with `prefix`.
    runNext(prefix) {
      const target = find(prefix);
      if (!target) return false;
      for (;;) {
        const t = nextDue(target.at);
        runOne(t);
        if (t === target) break;
      }
      return true;
    },
    drop(prefix) {
      for (const t of [...timers.values()]) if (String(t.handler).startsWith(prefix)) timers.delete(t.id);
    },
  };

  // Markup as the page wrote it (the style attributes still hold the IE
  // filters, which Chromium's style object drops), and a stand-in for the
  // alpha-image loader: its picture at its own size.
  window.__written = {};
  document.addEventListener('DOMContentLoaded', () => {
    for (const el of document.querySelectorAll('[id^="images"], [id^="bubble"]')) {
      window.__written[el.id] = { style: el.getAttribute('style'), inner: el.innerHTML, tag: el.tagName };
      const m = /AlphaImageLoader\(src='([^']*)',sizingMethod='image'\)/i.exec(el.getAttribute('style') || '');
      if (m) {
        el.style.backgroundImage = `url("${m[1]}")`;
        el.style.backgroundRepeat = 'no-repeat';
      }
    }
    window.__initial = {
      x_pos: window.x_pos && window.x_pos.slice(),
      y_pos: window.y_pos && window.y_pos.slice(),
    };
  });
}

const [templatePath, assetsDir, backgroundPath, outDir] = process.argv.slice(2);
if (!outDir) {
  console.error('usage: node page_test.mjs <template.html> <payload-assets-dir> <background-picture> <out-dir>');
  check('arguments given', false);
  finish(2);
}

const guard = setTimeout(() => {
  check('finished in time', false, 'gave up after 150 s');
  finish(1);
}, 150_000);
guard.unref();

if (!existsSync(templatePath)) {
  check('template present', false, templatePath);
  finish(1);
}
const template = readFileSync(templatePath, 'latin1');
check('template holds the layout tag exactly once', template.split(LAYOUT_TAG).length === 2);
const missing = PICTURES.filter((p) => !existsSync(join(assetsDir, p)));
check('all sixteen payload pictures present', missing.length === 0, `missing: ${missing.join(', ')}`);
check('background picture present', existsSync(backgroundPath), backgroundPath);

// The folder layout the desktop sees, once per layout value.
const work = mkdtempSync(join(tmpdir(), 'mervalis-page-'));
const pageUrl = {};
for (const [layout, value] of [['centred', '0'], ['stretched', '1']]) {
  const dir = join(work, layout);
  mkdirSync(join(dir, IMAGES_DIR), { recursive: true });
  for (const p of PICTURES) if (!missing.includes(p)) copyFileSync(join(assetsDir, p), join(dir, IMAGES_DIR, p));
  if (existsSync(backgroundPath)) copyFileSync(backgroundPath, join(dir, IMAGES_DIR, 'background.bmp'));
  writeFileSync(join(dir, PAGE_NAME), template.replace(LAYOUT_TAG, value), 'latin1');
  pageUrl[layout] = pathToFileURL(join(dir, PAGE_NAME)).href;
}
mkdirSync(outDir, { recursive: true });

const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  // Playwright gives every launch a fresh temporary --user-data-dir itself.
  args: [
    '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
  ],
});

let seed = 1;
async function openPage(layout, width, height, userAgent = IE6, fixedSeed = undefined) {
  const context = await browser.newContext({
    viewport: { width, height },
    screen: { width, height },
    deviceScaleFactor: 1,
    userAgent,
  });
  await context.addInitScript(harness, { seed: fixedSeed ?? seed++ });
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(`pageerror: ${e.message}`));
  page.on('console', (m) => {
    if (m.type() === 'error') errors.push(`console: ${m.text()}`);
  });
  await page.goto(pageUrl[layout], { waitUntil: 'load' });
  const allErrors = async () => errors.concat(await page.evaluate(() => window.__clock.log.errors));
  return { page, context, allErrors };
}

// Advances the clock in small slices and records how far the fish and
// bubbles ever go.
async function animate(page, ms) {
  return page.evaluate((total) => {
    const ext = { fishMinLeft: Infinity, fishMaxRight: -Infinity, fishMinTop: Infinity, fishMaxBottom: -Infinity, bubbleMinTop: Infinity, bubbleMaxBottom: -Infinity, moved: 0 };
    const start = imgs.map((f) => f.style.pixelLeft);
    for (let t = 0; t < total; t += 40) {
      window.__clock.advance(40);
      for (const f of imgs) {
        const s = f.style;
        ext.fishMinLeft = Math.min(ext.fishMinLeft, s.pixelLeft);
        ext.fishMaxRight = Math.max(ext.fishMaxRight, s.pixelLeft + s.pixelWidth);
        ext.fishMinTop = Math.min(ext.fishMinTop, s.pixelTop);
        ext.fishMaxBottom = Math.max(ext.fishMaxBottom, s.pixelTop + s.pixelHeight);
      }
      for (let i = 0; i < num_bubbles; i++) {
        const s = document.getElementById('bubble' + i).style;
        ext.bubbleMinTop = Math.min(ext.bubbleMinTop, s.pixelTop);
        ext.bubbleMaxBottom = Math.max(ext.bubbleMaxBottom, s.pixelTop + s.pixelHeight);
      }
    }
    ext.moved = imgs.filter((f, k) => f.style.pixelLeft !== start[k]).length;
    ext.pending = window.__clock.pending();
    return ext;
  }, ms);
}

async function countsRun(row, layout) {
  const [fishWanted, intervalWanted] = row[layout];
  const label = `${row.w}x${row.h} ${layout}`;
  const { page, context, allErrors } = await openPage(layout, row.w, row.h);
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

async function centredEdges() {
  const { page, context, allErrors } = await openPage('centred', 1024, 768);
  const r = await page.evaluate(() => {
    const c = window.__clock;
    c.drop('changeImageMotion()'); // nothing else may touch the fish
    const f = imgs[0];
    const s = f.style;
    const w = s.pixelWidth;
    const h = s.pixelHeight;
    const snap = () => ({ motion: f.motion, left: s.pixelLeft, top: s.pixelTop, src: f.src.replace(/.*\//, '') });
    const out = { w, h };
    const midTop = Math.floor((doc_top + doc_bottom / doc_height_div - h) / 2);

    f.motion = 0; f.vMove = 0; s.pixelTop = midTop; s.pixelLeft = doc_left + 1; f.src = f.src1;
    c.runNext('moveImage(0,'); out.leftShort = snap();
    c.runNext('moveImage(0,'); out.leftTurn = snap();
    c.runNext('moveImage(0,'); out.leftAfter = snap();

    f.motion = 2; s.pixelLeft = doc_right - w - 2 * f.moveX - 1;
    c.runNext('moveImage(0,'); out.rightShort = snap();
    c.runNext('moveImage(0,'); out.rightTurn = snap();

    const bottomLine = doc_bottom / doc_height_div;
    const lastTop = Math.ceil(bottomLine - h - f.moveY) - 1;
    f.motion = 0; f.vMove = 1; s.pixelLeft = Math.floor((doc_left + doc_right - w) / 2); f.src = f.src1;
    s.pixelTop = lastTop - 1;
    c.runNext('moveImage(0,'); out.bottomShort = snap();
    c.runNext('moveImage(0,'); out.bottomTurn = snap();
    out.lastTop = lastTop;

    f.motion = 3; f.vMove = 0; s.pixelTop = doc_top + 1; f.src = f.src2;
    c.runNext('moveImage(0,'); out.topKept = snap();
    out.area = [doc_left, doc_top, doc_right, doc_bottom];
    return out;
  });
  const [L] = r.area;
  check('centred: a fish one step short of the left edge keeps going left',
    r.leftShort.motion === 0 && r.leftShort.left === L - 2 && r.leftShort.src === 'fish2_l.gif', r.leftShort);
  check('centred: a fish reaching the left edge turns to state 2 and shows its "_r" picture',
    r.leftTurn.motion === 2 && r.leftTurn.left === L - 5 && r.leftTurn.src === 'fish2_r.gif', r.leftTurn);
  check('centred: after turning at the left edge the fish swims right', r.leftAfter.motion === 2 && r.leftAfter.left === L - 2, r.leftAfter);
  check('centred: a fish reaching the right edge turns to state 0 and shows its "_l" picture',
    r.rightShort.motion === 2 && r.rightShort.src === 'fish2_r.gif' && r.rightTurn.motion === 0 && r.rightTurn.src === 'fish2_l.gif'
    && r.rightTurn.left === r.rightShort.left + 3, [r.rightShort, r.rightTurn]);
  check('centred: a fish reaching the bottom line turns up and keeps its "_l" picture',
    r.bottomShort.motion === 0 && r.bottomShort.top === r.lastTop && r.bottomTurn.motion === 1
    && r.bottomTurn.top === r.lastTop + 1 && r.bottomTurn.src === 'fish2_l.gif', [r.bottomShort, r.bottomTurn, r.lastTop]);
  check('centred: a fish that keeps its height still turns on the vertical test',
    r.topKept.motion === 2 && r.topKept.top === r.area[1] + 1 && r.topKept.src === 'fish2_r.gif', r.topKept);
  const errors = await allErrors();
  check('centred: no page error while turning fish', errors.length === 0, errors.slice(0, 3));
  await context.close();
}

async function stretchedWrap() {
  const { page, context, allErrors } = await openPage('stretched', 1024, 768);
  const r = await page.evaluate(() => {
    const c = window.__clock;
    c.drop('changeImageMotion()');
    const f = imgs[0];
    const s = f.style;
    const w = s.pixelWidth;
    const h = s.pixelHeight;
    const snap = () => ({ motion: f.motion, left: s.pixelLeft, top: s.pixelTop, src: f.src.replace(/.*\//, '') });
    const out = { w, h };
    f.motion = 0; f.vMove = 0; s.pixelTop = 300; s.pixelLeft = -w + 3; f.src = f.src1;
    c.runNext('moveImage(0,'); out.leftShort = snap();
    c.runNext('moveImage(0,'); out.leftWrap = snap();
    f.motion = 2; f.src = f.src2; s.pixelLeft = 1024 - 3;
    c.runNext('moveImage(0,'); out.rightShort = snap();
    c.runNext('moveImage(0,'); out.rightWrap = snap();
    f.motion = 0; f.vMove = 1; f.src = f.src1; s.pixelLeft = 400; s.pixelTop = 767;
    c.runNext('moveImage(0,'); out.bottomShort = snap();
    c.runNext('moveImage(0,'); out.bottomWrap = snap();
    f.motion = 1; s.pixelTop = -h + 1;
    c.runNext('moveImage(0,'); out.topShort = snap();
    c.runNext('moveImage(0,'); out.topWrap = snap();
    f.vMove = 0; s.pixelTop = 200;
    c.runNext('moveImage(0,'); out.kept = snap();
    return out;
  });
  const { w, h } = r;
  check('stretched: a fish leaving on the left reappears at the right edge',
    r.leftShort.left === -w && r.leftWrap.left === 1024 && r.leftWrap.motion === 0 && r.leftWrap.src === 'fish2_l.gif', [r.leftShort, r.leftWrap]);
  check('stretched: a fish leaving on the right reappears at the left edge',
    r.rightShort.left === 1024 && r.rightWrap.left === -w && r.rightWrap.motion === 2 && r.rightWrap.src === 'fish2_r.gif', [r.rightShort, r.rightWrap]);
  check('stretched: a fish leaving at the bottom reappears just above the top',
    r.bottomShort.top === 768 && r.bottomWrap.top === -h && r.bottomWrap.motion === 0, [r.bottomShort, r.bottomWrap]);
  check('stretched: a fish leaving at the top reappears at the bottom',
    r.topShort.top === -h && r.topWrap.top === 768 && r.topWrap.motion === 1, [r.topShort, r.topWrap]);
  check('stretched: a fish that keeps its height does not move up or down', r.kept.top === 200 && r.kept.left === r.topWrap.left - 3, [r.topWrap, r.kept]);
  const errors = await allErrors();
  check('stretched: no page error while wrapping fish', errors.length === 0, errors.slice(0, 3));
  await context.close();
}

async function bubbleRestart() {
  const { page, context, allErrors } = await openPage('centred', 1024, 768);
  const r = await page.evaluate(() => {
    const c = window.__clock;
    const el = document.getElementById('bubble0');
    const out = { area: [doc_left, doc_top, doc_width, doc_height], w: bub_width[0], h: bub_height[0] };
    y_pos[0] = doc_top + 2 + step_y[0] + 0.25;
    c.runNext('moveBubbles()');
    out.short = { y: y_pos[0], top: el.style.pixelTop };
    out.before = { amp: amp[0], phase: bub_x[0], x: x_pos[0] };
    c.runNext('moveBubbles()');
    out.after = {
      y: y_pos[0], x: x_pos[0], amp: amp[0], phase: bub_x[0], stepX: step_x[0], stepY: step_y[0],
      top: el.style.pixelTop, left: el.style.pixelLeft,
    };
    return out;
  });
  const [L, T, W, H] = r.area;
  const a = r.after;
  check('a rising bubble above doc_top + 2 goes on rising', Math.abs(r.short.y - (T + 2.25)) < 1e-9 && r.short.top === Math.floor(T + 2.25), r.short);
  check('a bubble reaching the top reappears at the bottom with the same amplitude',
    a.y === H + T - r.h && a.top === H + T - r.h && a.amp === r.before.amp, { before: r.before, after: a });
  check('a restarted bubble gets a new column, rise and phase step, and keeps its phase',
    a.x >= L && a.x < L + W - a.amp - r.w && a.x !== r.before.x && a.stepX >= 0.03 && a.stepX < 0.13
    && a.stepY >= 1.2 && a.stepY < 2.2 && Math.abs(a.phase - (r.before.phase + a.stepX)) < 1e-9
    && a.left === Math.floor(a.x + a.amp * Math.sin(a.phase)), { before: r.before, after: a });
  const errors = await allErrors();
  check('no page error while restarting a bubble', errors.length === 0, errors.slice(0, 3));
  await context.close();
}

async function bubblePictures() {
  for (const [ua, version, files, sizes] of [
    [IE6, 6, ['bubble1.png', 'bubble2.png'], [24, 14]],
    [IE55, 5, ['bubble1.gif', 'bubble2.gif'], [24, 11]],
  ]) {
    const label = `MSIE ${version === 6 ? '6.0' : '5.5'}`;
    const { page, context, allErrors } = await openPage('centred', 1024, 768, ua);
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
    const errors = await allErrors();
    check(`${label}: no page error over 10 s of animation`, errors.length === 0, errors.slice(0, 3));
    await context.close();
  }
}

async function browserVersion() {
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

async function narrowScreens() {
  for (const [layout, w, h, bubbles] of [['stretched', 80, 60, 1], ['centred', 120, 90, 1], ['stretched', 40, 30, 0]]) {
    const label = `${w}x${h} ${layout}`;
    const { page, context, allErrors } = await openPage(layout, w, h);
    await page.evaluate(() => window.__clock.advance(10_000));
    const r = await page.evaluate(() => ({
      fish: num_images, bubbles: num_bubbles, fishElements: document.querySelectorAll('img[id^="images"]').length,
      intervals: window.__clock.log.intervals, badDelays: window.__clock.log.badDelays, pending: window.__clock.pending(),
      tops: [...Array(num_bubbles).keys()].map((i) => document.getElementById('bubble' + i).style.pixelTop),
    }));
    const errors = await allErrors();
    check(`${label}: no fish and no motion-change timer`, r.fish === 0 && r.fishElements === 0 && r.intervals.length === 0, r);
    check(`${label}: no timer without a positive interval`, r.badDelays.length === 0, r.badDelays);
    check(`${label}: ${bubbles} bubble(s) still rising`, r.bubbles === bubbles
      && r.pending.map((p) => p.handler).join() === 'moveBubbles()', r);
    check(`${label}: no page error`, errors.length === 0, errors.slice(0, 3));
    await context.close();
  }
}

async function screenshots() {
  for (const layout of ['centred', 'stretched']) {
    const { page, context, allErrors } = await openPage(layout, 1024, 768);
    await page.evaluate(() => window.__clock.advance(3000));
    const loaded = await page.evaluate(() => [...document.images].filter((im) => im.id && !(im.complete && im.naturalWidth > 0)).map((im) => im.id));
    const file = join(outDir, `page_${layout}.png`);
    await page.screenshot({ path: file });
    check(`${layout} screenshot saved with every fish picture loaded`, existsSync(file) && loaded.length === 0, loaded);
    const errors = await allErrors();
    check(`${layout} screenshot: no page error`, errors.length === 0, errors.slice(0, 3));
    await context.close();
  }
}

// The desktop mode draws the same aquarium natively. Its scene, run by the
// native tool scene_dump on the same seed and the same clock, must put every
// fish and bubble where the page puts it, at every sample.
const SCENE_DUMP = process.env.MERVALIS_SCENE_DUMP || join(outDir, '..', '..', 'native', 'scene_dump');
const CROSS_MS = 20_000;
const CROSS_STEP = 20;

async function sceneCrossCheck() {
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
      const { page, context, allErrors } = await openPage(layout, w, h, IE6, seed);
      const web = await page.evaluate(({ total, step }) => {
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
      const errors = await allErrors();
      check(`${label}: no page error`, errors.length === 0, errors.slice(0, 3));
      await context.close();
      seed++;
    }
  }
  check('desktop scene: the comparison went through fish turns, wraps and bubble restarts',
    seen.turns > 0 && seen.wraps > 0 && seen.restarts > 0, seen);
  console.log('# desktop scene comparison saw', JSON.stringify(seen));
}

try {
  await sceneCrossCheck();
  for (const row of WORKED) {
    for (const layout of ['centred', 'stretched']) await countsRun(row, layout);
  }
  await centredEdges();
  await stretchedWrap();
  await bubbleRestart();
  await bubblePictures();
  await browserVersion();
  await narrowScreens();
  await screenshots();
} catch (e) {
  check('harness ran to the end', false, String((e && e.stack) || e));
} finally {
  await browser.close();
  rmSync(work, { recursive: true, force: true });
}
finish();
