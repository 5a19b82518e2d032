// What the harness puts into the page before any of its own script: the
// old engine's style properties, a seeded Math.random, a virtual clock for
// the timers, and a record of the markup the page wrote.

// Runs in the page before any of its own script.
export function inPageHarness({ seed }) {
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

  // The first fish, steered by hand: every other timer keeps away from it.
  // step(name) runs its next move and records where it went as out[name].
  window.__steerFirstFish = () => {
    window.__clock.drop('changeImageMotion()');
    const f = imgs[0];
    const s = f.style;
    const out = { w: s.pixelWidth, h: s.pixelHeight };
    const snap = () => ({ motion: f.motion, left: s.pixelLeft, top: s.pixelTop, src: f.src.replace(/.*\//, '') });
    const step = (name) => {
      window.__clock.runNext('moveImage(0,');
      out[name] = snap();
    };
    return { f, s, out, step };
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
