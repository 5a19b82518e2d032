// How a fish turns at the edges of the centred picture, wraps round the
// stretched screen, and how a bubble starts again at the bottom.
import { check, closeWithoutErrors } from './harness.mjs';

export async function centredEdges({ openPage }) {
  const opened = await openPage('centred', 1024, 768);
  const r = await opened.page.evaluate(() => {
    const { f, s, out, step } = window.__steerFirstFish();
    const { w, h } = out;
    const midTop = Math.floor((doc_top + doc_bottom / doc_height_div - h) / 2);

    f.motion = 0; f.vMove = 0; s.pixelTop = midTop; s.pixelLeft = doc_left + 1; f.src = f.src1;
    step('leftShort');
    step('leftTurn');
    step('leftAfter');

    f.motion = 2; s.pixelLeft = doc_right - w - 2 * f.moveX - 1;
    step('rightShort');
    step('rightTurn');

    const bottomLine = doc_bottom / doc_height_div;
    const lastTop = Math.ceil(bottomLine - h - f.moveY) - 1;
    f.motion = 0; f.vMove = 1; s.pixelLeft = Math.floor((doc_left + doc_right - w) / 2); f.src = f.src1;
    s.pixelTop = lastTop - 1;
    step('bottomShort');
    step('bottomTurn');
    out.lastTop = lastTop;

    f.motion = 3; f.vMove = 0; s.pixelTop = doc_top + 1; f.src = f.src2;
    step('topKept');
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
  await closeWithoutErrors(opened, 'centred: no page error while turning fish');
}

export async function stretchedWrap({ openPage }) {
  const opened = await openPage('stretched', 1024, 768);
  const r = await opened.page.evaluate(() => {
    const { f, s, out, step } = window.__steerFirstFish();
    const { w, h } = out;
    f.motion = 0; f.vMove = 0; s.pixelTop = 300; s.pixelLeft = -w + 3; f.src = f.src1;
    step('leftShort');
    step('leftWrap');
    f.motion = 2; f.src = f.src2; s.pixelLeft = 1024 - 3;
    step('rightShort');
    step('rightWrap');
    f.motion = 0; f.vMove = 1; f.src = f.src1; s.pixelLeft = 400; s.pixelTop = 767;
    step('bottomShort');
    step('bottomWrap');
    f.motion = 1; s.pixelTop = -h + 1;
    step('topShort');
    step('topWrap');
    f.vMove = 0; s.pixelTop = 200;
    step('kept');
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
  await closeWithoutErrors(opened, 'stretched: no page error while wrapping fish');
}

export async function bubbleRestart({ openPage }) {
  const opened = await openPage('centred', 1024, 768);
  const r = await opened.page.evaluate(() => {
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
  await closeWithoutErrors(opened, 'no page error while restarting a bubble');
}
