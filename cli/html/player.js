// The HTML player: loads the engine and the drawing, paces playback between
// animation frames and drives the canvas and the controls.
'use strict';
(() => {
  const $ = (id) => document.getElementById(id);
  const config = JSON.parse($('config').textContent);
  const canvas = $('canvas');
  const ctx = canvas.getContext('2d', { alpha: false });
  const bar = $('bar');
  const timeline = $('timeline');
  let vg = null; // the engine's exports
  let total = 0; // records a playback plays: up to the first end marker
  let slides = []; // indices of the delay records
  let playing = false;
  let holdUntil = 0; // a delay or fill being waited out
  let loops = 0; // frame loops started; only the latest runs
  let fit = false;
  let bare = false;
  let scratch = 0; // 24 bytes of engine memory for vg_fit's answer
  let shownView = ''; // the size and view the engine's canvas has

  // Each payload is a zlib stream in base64, as the page was written.
  async function inflate(id) {
    const text = $(id).textContent.trim();
    const packed = await (await fetch('data:application/octet-stream;base64,' + text)).blob();
    const stream = packed.stream().pipeThrough(new DecompressionStream('deflate'));
    return new Uint8Array(await new Response(stream).arrayBuffer());
  }

  function heap() { return new Uint8Array(vg.memory.buffer); }

  // The canvas's backing store is exactly the device pixels it covers, at
  // whole device pixels from the page's corner, so that every pixel of the
  // engine's canvas is one pixel of the screen.
  function place() {
    const dpr = window.devicePixelRatio || 1;
    canvas.style.width = canvas.width / dpr + 'px';
    canvas.style.height = canvas.height / dpr + 'px';
    const stage = $('stage');
    const free = (room, size) => (bare ? 0 : Math.max(0, Math.floor((room * dpr - size) / 2)) / dpr);
    canvas.style.left = free(stage.clientWidth, canvas.width) + 'px';
    canvas.style.top = free(stage.clientHeight - barRoom(), canvas.height) + 'px';
  }

  // The bar covers the bottom of the window unless it is hidden.
  function barRoom() { return bare || bar.hidden ? 0 : bar.offsetHeight; }

  // A new engine canvas: the drawing's own view, or one fitted to the window.
  function layout() {
    const dpr = window.devicePixelRatio || 1;
    let w = config.width, h = config.height, view = config;
    if (fit && !bare) {
      const stage = $('stage');
      w = Math.max(1, Math.floor(stage.clientWidth * dpr));
      h = Math.max(1, Math.floor((stage.clientHeight - barRoom()) * dpr));
      const out = scratch || (scratch = vg.malloc(24));
      vg.vg_fit(w, h, out);
      const v = new Float64Array(vg.memory.buffer, out, 3);
      view = { originX: v[0], originY: v[1], scale: v[2], angle: 0 };
    }
    const key = [w, h, view.originX, view.originY, view.scale, view.angle].join();
    if (key !== shownView) {
      const at = vg.vg_played();
      canvas.width = w;
      canvas.height = h;
      ctx.imageSmoothingEnabled = false;
      vg.vg_view(w, h, view.originX, view.originY, view.scale, view.angle);
      vg.vg_seek(at);
      shownView = key;
    }
    place();
  }

  function paint() {
    const ptr = vg.vg_frame();
    const pixels = new Uint8ClampedArray(vg.memory.buffer, ptr, canvas.width * canvas.height * 4);
    ctx.putImageData(new ImageData(pixels, canvas.width, canvas.height), 0, 0);
    const k = vg.vg_played();
    timeline.value = k;
    $('count').textContent = `${k} / ${total}`;
    $('play').textContent = playing ? '||' : '▶';
  }

  // The fragment names the last record shown, so a copied address opens the
  // same step.
  function remember() {
    if (playing) return;
    const hash = '#at=' + (vg.vg_played() - 1) + (bare ? '&bare' : '');
    if (location.hash !== hash) history.replaceState(null, '', hash);
  }

  function seek(played) {
    holdUntil = 0;
    vg.vg_seek(Math.max(0, Math.min(total, played)));
    paint();
    remember();
  }

  function setPlaying(on) {
    playing = on && total > 0;
    if (playing && vg.vg_played() >= total) vg.vg_seek(0);
    holdUntil = 0;
    document.body.classList.remove('idle');
    wake();
    paint();
    remember();
    // One frame loop at a time, however fast play and pause follow each other.
    const loop = ++loops;
    if (playing) requestAnimationFrame((now) => tick(now, loop));
  }

  // One frame of playback: up to `speed` records, as far as the next hold;
  // a delay record is waited out as playback does, or stopped at in slide
  // mode, and a fill holds its 10 ms.
  function tick(now, loop) {
    if (!playing || loop !== loops) return;
    const again = () => requestAnimationFrame((t) => tick(t, loop));
    if (holdUntil && now < holdUntil) { again(); return; }
    holdUntil = 0;
    const from = vg.vg_played();
    let to = Math.min(total, from + Number($('speed').value));
    const hold = vg.vg_next_hold(from, to);
    if (hold >= 0) to = hold + 1;
    vg.vg_seek(to);
    if (to === hold + 1 && hold >= 0) {
      const ms = vg.vg_hold_ms(hold);
      if (ms < 0 && $('slides').getAttribute('aria-pressed') === 'true') playing = false;
      else holdUntil = now + Math.abs(ms);
    }
    if (to >= total) playing = false;
    paint();
    if (playing) again(); else { document.body.classList.remove('idle'); remember(); }
  }

  function slideStep(direction) {
    const k = vg.vg_played() - 1; // the record shown last
    const target = direction > 0 ? slides.find((s) => s > k)
                                 : [...slides].reverse().find((s) => s < k);
    playing = false;
    seek(target === undefined ? (direction > 0 ? total : 0) : target + 1);
  }

  // Controls hide while playing and come back on a pointer move.
  let idleTimer = 0;
  function wake() {
    document.body.classList.remove('idle');
    clearTimeout(idleTimer);
    idleTimer = setTimeout(() => { if (playing) document.body.classList.add('idle'); }, 2000);
  }

  function toggle(button) {
    const on = button.getAttribute('aria-pressed') !== 'true';
    button.setAttribute('aria-pressed', String(on));
    return on;
  }

  function fullScreen() {
    if (document.fullscreenElement) document.exitFullscreen();
    else document.documentElement.requestFullscreen().catch(() => {});
  }

  function wire() {
    $('play').onclick = () => setPlaying(!playing);
    $('back').onclick = () => { playing = false; seek(vg.vg_played() - 1); };
    $('forward').onclick = () => { playing = false; seek(vg.vg_played() + 1); };
    $('prevSlide').onclick = () => slideStep(-1);
    $('nextSlide').onclick = () => slideStep(1);
    $('slides').onclick = (e) => toggle(e.currentTarget);
    $('fit').onclick = (e) => { fit = toggle(e.currentTarget); layout(); paint(); };
    $('full').onclick = fullScreen;
    // A button clicked with the pointer gives the focus back, so that Space
    // goes on playing and pausing instead of pressing that button again.
    for (const button of bar.querySelectorAll('button')) {
      button.addEventListener('click', (e) => { if (e.detail > 0) button.blur(); });
    }
    timeline.oninput = () => { playing = false; seek(Number(timeline.value)); };
    window.addEventListener('pointermove', wake);
    window.addEventListener('resize', () => { layout(); paint(); });
    window.addEventListener('keydown', (e) => {
      if (e.ctrlKey || e.altKey || e.metaKey) return;
      const keys = {
        ' ': () => setPlaying(!playing),
        ArrowLeft: () => { playing = false; seek(vg.vg_played() - 1); },
        ArrowRight: () => { playing = false; seek(vg.vg_played() + 1); },
        Home: () => { playing = false; seek(0); },
        End: () => { playing = false; seek(total); },
        PageUp: () => slideStep(-1),
        PageDown: () => slideStep(1),
        f: fullScreen,
        F: fullScreen,
      };
      const action = keys[e.key];
      if (!action || (e.target.tagName === 'SELECT' && e.key.startsWith('Arrow'))) return;
      e.preventDefault();
      wake();
      action();
    });
  }

  function readFragment() {
    const params = new URLSearchParams(location.hash.slice(1));
    bare = params.has('bare');
    const at = params.get('at');
    return at !== null && /^-?\d+$/.test(at) ? Math.min(Number(at), total - 1) + 1 : null;
  }

  async function start() {
    const [engine, records] = await Promise.all([inflate('engine'), inflate('drawing')]);
    // The text is not needed again, and a big drawing's is tens of megabytes.
    $('engine').remove();
    $('drawing').remove();
    const { instance } = await WebAssembly.instantiate(engine, {
      env: { emscripten_notify_memory_growth: () => {}, page_cos: Math.cos, page_sin: Math.sin },
      wasi_snapshot_preview1: {
        proc_exit: (code) => { throw new Error('engine exit ' + code); },
        // The engine reads an environment variable or two: there are none.
        environ_sizes_get: (count, size) => {
          new Uint32Array(vg.memory.buffer, count, 1)[0] = 0;
          new Uint32Array(vg.memory.buffer, size, 1)[0] = 0;
          return 0;
        },
        environ_get: () => 0,
      },
    });
    vg = instance.exports;
    vg._initialize();
    vg.vg_angle(config.angle, config.cos, config.sin);
    const n = Math.floor(records.length / 6);
    const at = vg.vg_records(n); // may grow the memory: its buffer is taken afterwards
    heap().set(records.subarray(0, n * 6), at);
    total = vg.vg_loaded();
    for (let i = vg.vg_next_hold(0, total); i >= 0; i = vg.vg_next_hold(i + 1, total)) {
      if (vg.vg_hold_ms(i) < 0) slides.push(i);
    }
    timeline.max = total;
    $('marks').innerHTML = slides.map((s) => `<i style="left:${(100 * (s + 1)) / Math.max(total, 1)}%"></i>`).join('');
    const opening = readFragment();
    document.body.classList.toggle('bare', bare);
    $('message').remove();
    bar.hidden = bare;
    layout();
    wire();
    window.addEventListener('hashchange', () => {
      const k = readFragment();
      document.body.classList.toggle('bare', bare);
      bar.hidden = bare;
      if (k !== null) { playing = false; seek(k); }
    });
    // Without a record to open at, the page plays from the start as the
    // program plays a drawing it opens; bare, it shows the finished picture.
    if (opening !== null) seek(opening);
    else if (bare) seek(total);
    else { vg.vg_seek(0); setPlaying(true); } // the address stays as it was given
    window.vellograph.readyAt = performance.now(); // from the start of the page's loading
    document.documentElement.dataset.ready = 'true';
  }

  // For scripts that time the player: plays everything at once.
  window.vellograph = { seek: (k) => seek(k), played: () => vg.vg_played(), total: () => total };

  start().catch((error) => {
    $('message').textContent = 'This page cannot play the drawing: ' + error.message;
  });
})();
