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
//
// harness.mjs and in_page.mjs make that world; the *_test.mjs files hold the
// checks, run here in a fixed order (the pages' seeds follow it).

import { existsSync, mkdirSync, readFileSync, rmSync } from 'node:fs';
import { join } from 'node:path';

import { LAYOUT_TAG, PICTURES, check, finish, launchBrowser, pageOpener, writePages } from './harness.mjs';
import { countsRuns, narrowScreens, screenshots } from './layout_test.mjs';
import { bubbleRestart, centredEdges, stretchedWrap } from './motion_test.mjs';
import { browserVersion, bubblePictures } from './pictures_test.mjs';
import { sceneCrossCheck } from './scene_test.mjs';

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

const { work, pageUrl } = writePages(template, assetsDir, backgroundPath, PICTURES.filter((p) => !missing.includes(p)));
mkdirSync(outDir, { recursive: true });

const browser = await launchBrowser();
const pages = { openPage: pageOpener(browser, pageUrl), outDir };
try {
  for (const run of [sceneCrossCheck, countsRuns, centredEdges, stretchedWrap, bubbleRestart, bubblePictures,
    browserVersion, narrowScreens, screenshots]) {
    await run(pages);
  }
} catch (e) {
  check('harness ran to the end', false, String((e && e.stack) || e));
} finally {
  await browser.close();
  rmSync(work, { recursive: true, force: true });
}
finish();
