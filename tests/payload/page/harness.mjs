// The page test's harness: the pages as the desktop sees them, the browser
// that opens them with the old engine's extras, and the check record.
import { chromium } from 'playwright-core';
import { copyFileSync, existsSync, mkdirSync, mkdtempSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

import { inPageHarness } from './in_page.mjs';

export const PAGE_NAME = 'Quorvane - Mervalis.html';
export const IMAGES_DIR = 'QVImages/Mervalis';
export const LAYOUT_TAG = '<PAGE_LAYOUT>';
export const PICTURES = [
  'fish1_l.gif', 'fish1_r.gif', 'fish2_l.gif', 'fish2_r.gif', 'fish3_l.gif', 'fish3_r.gif',
  'fish4_l.gif', 'fish4_r.gif', 'bubble1.png', 'bubble2.png', 'bubble1.gif', 'bubble2.gif',
  'fish5_l.gif', 'fish5_r.gif', 'fish6_l.gif', 'fish6_r.gif',
];
export const IE6 = 'Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1)';
export const IE55 = 'Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)';

// Fish table entries: picture stem, width, height, ms per step, moveX, moveY.
export const FISH = [
  ['fish2', 70, 48, 40, 3, 1],
  ['fish1', 90, 77, 35, 2, 1],
  ['fish4', 95, 62, 40, 2, 1],
  ['fish6', 90, 77, 35, 2, 1],
  ['fish5', 95, 62, 40, 2, 1],
  ['fish3', 105, 49, 45, 2, 1],
];

let passed = 0;
let failed = 0;
export function check(name, ok, detail) {
  if (ok) {
    passed++;
    console.log(`ok - ${name}`);
  } else {
    failed++;
    console.log(`not ok - ${name}${detail === undefined ? '' : ` (${typeof detail === 'string' ? detail : JSON.stringify(detail)})`}`);
  }
}
export function finish(code) {
  console.log(`PAGE-RESULT passed=${passed} failed=${failed}`);
  process.exit(code ?? (failed > 0 || passed === 0 ? 1 : 0));
}

// The folder layout the desktop sees, once per layout value, in a new
// temporary folder: { work, pageUrl } (the page's address per layout).
export function writePages(template, assetsDir, backgroundPath, pictures) {
  const work = mkdtempSync(join(tmpdir(), 'mervalis-page-'));
  const pageUrl = {};
  for (const [layout, value] of [['centred', '0'], ['stretched', '1']]) {
    const dir = join(work, layout);
    mkdirSync(join(dir, IMAGES_DIR), { recursive: true });
    for (const p of pictures) copyFileSync(join(assetsDir, p), join(dir, IMAGES_DIR, p));
    if (existsSync(backgroundPath)) copyFileSync(backgroundPath, join(dir, IMAGES_DIR, 'background.bmp'));
    writeFileSync(join(dir, PAGE_NAME), template.replace(LAYOUT_TAG, value), 'latin1');
    pageUrl[layout] = pathToFileURL(join(dir, PAGE_NAME)).href;
  }
  return { work, pageUrl };
}

export function launchBrowser() {
  return chromium.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    // Playwright gives every launch a fresh temporary --user-data-dir itself.
    args: [
      '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
    ],
  });
}

// openPage(layout, width, height, userAgent, fixedSeed) opens the page of a
// layout on a screen of that size; each page without a fixed seed gets the
// next one. It gives { page, context, allErrors }.
export function pageOpener(browser, pageUrl) {
  let seed = 1;
  return async function openPage(layout, width, height, userAgent = IE6, fixedSeed = undefined) {
    const context = await browser.newContext({
      viewport: { width, height },
      screen: { width, height },
      deviceScaleFactor: 1,
      userAgent,
    });
    await context.addInitScript(inPageHarness, { seed: fixedSeed ?? seed++ });
    const page = await context.newPage();
    const errors = [];
    page.on('pageerror', (e) => errors.push(`pageerror: ${e.message}`));
    page.on('console', (m) => {
      if (m.type() === 'error') errors.push(`console: ${m.text()}`);
    });
    await page.goto(pageUrl[layout], { waitUntil: 'load' });
    const allErrors = async () => errors.concat(await page.evaluate(() => window.__clock.log.errors));
    return { page, context, allErrors };
  };
}

// Checks, under `name`, that the page reported no error, then closes it.
export async function closeWithoutErrors({ context, allErrors }, name) {
  const errors = await allErrors();
  check(name, errors.length === 0, errors.slice(0, 3));
  await context.close();
}

// Advances the clock in small slices and records how far the fish and
// bubbles ever go.
export async function animate(page, ms) {
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
