'use strict';
// The HTML player: decodes the packed clip, projects its 3D segments with an
// orbit camera and draws them over a floor grid. Drag to orbit, wheel to
// zoom about the pointer, shift-drag to pan; space plays and pauses, the
// arrow keys step. A page larger than the window shows its canvas smaller,
// with the controls still in view.
// The page keeps its state in #state (JSON) so that a test can read it, and
// takes "#frame=K&play&follow&view=NAME&zoom=X,Y,DELTA" in its address as a
// user's actions (zoom: a wheel turn of DELTA at canvas pixel X,Y).
(function () {
  const errors = [];
  function report(message) {
    errors.push(String(message));
    document.documentElement.dataset.errors = String(errors.length);
  }
  window.addEventListener('error', (e) => report(e.message));
  window.addEventListener('unhandledrejection', (e) => report(e.reason));

  const clip = JSON.parse(document.getElementById('clip-meta').textContent);
  const $ = (id) => document.getElementById(id);
  const cv = $('view'), cx = cv.getContext('2d');
  const W = cv.width, H = cv.height, n = clip.frames;
  const MISSING = 65535, MARGIN = 0.08, FLOOR_REACH = 2.5, MAX_GRID_LINES = 400;

  // Decode: times, first joints, then every frame's quantised points.
  const text = atob($('clip-data').textContent.replace(/\s+/g, ''));
  const buffer = new ArrayBuffer(text.length);
  const bytes = new Uint8Array(buffer);
  for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
  const times = new Float64Array(buffer, 0, n);
  const joints = new Float64Array(buffer, 8 * n, 3 * n);
  const offsets = new Uint16Array(buffer, 32 * n, (text.length - 32 * n) >> 1);
  const shapeOf = new Int32Array(n), firstPoint = new Int32Array(n + 1);
  clip.runs.forEach((run, r) => {
    const end = r + 1 < clip.runs.length ? clip.runs[r + 1][0] : n;
    for (let k = run[0]; k < end; ++k) shapeOf[k] = run[1];
  });
  for (let k = 0; k < n; ++k) firstPoint[k + 1] = firstPoint[k] + clip.shapes[shapeOf[k]][0];

  // Point i of frame k in world space, or null when it was not finite.
  function point(k, i) {
    const o = 3 * (firstPoint[k] + i);
    if (offsets[o] === MISSING) return null;
    const p = [0, 0, 0];
    for (let a = 0; a < 3; ++a) p[a] = joints[3 * k + a] + clip.offsetMin[a] + offsets[o + a] * clip.offsetStep[a];
    return p;
  }
  function framePoints(k) {
    const out = [];
    for (let i = 0; i < clip.shapes[shapeOf[k]][0]; ++i) out.push(point(k, i));
    return out;
  }
  const joint = (k) => [joints[3 * k], joints[3 * k + 1], joints[3 * k + 2]];

  // The floor: the lowest height reached, and the clip's extent on it.
  const floor = {y: Infinity, minX: Infinity, maxX: -Infinity, minZ: Infinity, maxZ: -Infinity};
  for (let k = 0; k < n; ++k)
    for (const p of framePoints(k)) {
      if (!p) continue;
      floor.y = Math.min(floor.y, p[1]);
      floor.minX = Math.min(floor.minX, p[0]), floor.maxX = Math.max(floor.maxX, p[0]);
      floor.minZ = Math.min(floor.minZ, p[2]), floor.maxZ = Math.max(floor.maxZ, p[2]);
    }
  if (!(floor.minX <= floor.maxX)) Object.assign(floor, {y: 0, minX: -1, maxX: 1, minZ: -1, maxZ: 1});
  // Framed in world units, the floor is the one of the clip at scale 1.
  if (clip.framing) Object.assign(floor, clip.framing.floor);

  // The camera: yaw and pitch in degrees, a target in the middle of the
  // picture, a scale (the fitted one times the zoom) and a pan in pixels.
  const cam = {yaw: 0, pitch: 0, target: [0, 0, 0], fitScale: 1, zoom: 1, panX: 0, panY: 0, follow: false};
  let axes = null;
  function setAngles(yaw, pitch) {
    cam.yaw = yaw, cam.pitch = Math.max(-90, Math.min(90, pitch));
    const r = Math.PI / 180, cy = Math.cos(cam.yaw * r), sy = Math.sin(cam.yaw * r);
    const cp = Math.cos(cam.pitch * r), sp = Math.sin(cam.pitch * r);
    axes = {right: [cy, 0, -sy], up: [-sy * sp, cp, -cy * sp]};
  }
  const dot = (a, p) => a[0] * p[0] + a[1] * p[1] + a[2] * p[2];
  const scale = () => cam.fitScale * cam.zoom;

  // The points the camera is framed on, each with the first joint of its
  // pose: the clip's own, or, framed in world units, the few the page carries
  // that span the clip at scale 1 in every view (as offsets from their
  // joints when following).
  const ORIGIN = [0, 0, 0];
  function forEachFramingPoint(fn) {
    if (clip.framing) {
      for (const p of (cam.follow ? clip.framing.reach : clip.framing.box)) fn(p, ORIGIN);
      return;
    }
    for (let k = 0; k < n; ++k) {
      const c = joint(k);
      for (const p of framePoints(k)) if (p) fn(p, c);
    }
  }

  // Frames the clip as the pictures do: the whole clip's box, or every pose
  // around its own first joint when following.
  function fit() {
    const usableW = Math.max(1, W - 2 * MARGIN * Math.min(W, H)), usableH = Math.max(1, H - 2 * MARGIN * Math.min(W, H));
    let lo = [Infinity, Infinity], hi = [-Infinity, -Infinity], reach = [0, 0], tracked = false;
    forEachFramingPoint((p, c) => {
      tracked = true;
      const v = [dot(axes.right, p), dot(axes.up, p)];
      lo = [Math.min(lo[0], v[0]), Math.min(lo[1], v[1])];
      hi = [Math.max(hi[0], v[0]), Math.max(hi[1], v[1])];
      reach = [Math.max(reach[0], Math.abs(v[0] - dot(axes.right, c))), Math.max(reach[1], Math.abs(v[1] - dot(axes.up, c)))];
    });
    cam.zoom = 1, cam.panX = 0, cam.panY = 0;
    if (cam.follow) {
      cam.fitScale = tracked ? Math.min(usableW / 2 / Math.max(reach[0], 1e-9), usableH / 2 / Math.max(reach[1], 1e-9))
                             : Math.min(usableW, usableH) / 2;
      return;
    }
    if (!(lo[0] <= hi[0])) lo = [-1, -1], hi = [1, 1];
    cam.fitScale = Math.min(usableW / Math.max(hi[0] - lo[0], 1e-9), usableH / Math.max(hi[1] - lo[1], 1e-9));
    const mx = (lo[0] + hi[0]) / 2, my = (lo[1] + hi[1]) / 2;
    cam.target = [0, 1, 2].map((a) => mx * axes.right[a] + my * axes.up[a]);
  }

  function centreOf(k) { return cam.follow ? joint(k) : cam.target; }
  function project(p, c) {
    const s = scale(), d = [p[0] - c[0], p[1] - c[1], p[2] - c[2]];
    return [W / 2 + s * dot(axes.right, d) + cam.panX, H / 2 - s * dot(axes.up, d) + cam.panY];
  }

  // Grid lines every 1, 2 or 5 times a power of ten, about ten cells across.
  function gridStep(extent) {
    if (!(extent > 0)) return 1;
    const raw = extent / 10, p = Math.pow(10, Math.floor(Math.log10(raw)));
    for (const m of [1, 2, 5]) if (raw <= m * p) return m * p;
    return 10 * p;
  }
  function drawGrid(k, c) {
    let area = floor;
    if (cam.follow) {
      const R = FLOOR_REACH * Math.hypot(W, H) / 2 / scale(), j = joint(k);
      area = {y: floor.y, minX: j[0] - R, maxX: j[0] + R, minZ: j[2] - R, maxZ: j[2] + R};
    }
    const extent = Math.max(area.maxX - area.minX, area.maxZ - area.minZ);
    const step = gridStep(Math.max(extent, 1e-6)), pad = Math.max(step, extent * 0.15);
    const xa = Math.floor((area.minX - pad) / step) * step, xb = Math.ceil((area.maxX + pad) / step) * step;
    const za = Math.floor((area.minZ - pad) / step) * step, zb = Math.ceil((area.maxZ + pad) / step) * step;
    const nx = Math.round((xb - xa) / step), nz = Math.round((zb - za) / step);
    if (!(nx >= 0 && nx <= MAX_GRID_LINES && nz >= 0 && nz <= MAX_GRID_LINES)) return;
    cx.strokeStyle = clip.grid, cx.lineWidth = clip.gridWidth, cx.beginPath();
    const seg = (a, b) => { const p = project(a, c), q = project(b, c); cx.moveTo(p[0], p[1]); cx.lineTo(q[0], q[1]); };
    for (let i = 0; i <= nx; ++i) seg([xa + i * step, area.y, za], [xa + i * step, area.y, zb]);
    for (let i = 0; i <= nz; ++i) seg([xa, area.y, za + i * step], [xb, area.y, za + i * step]);
    cx.stroke();
  }

  // The current pose's box on the canvas, [left, top, right, bottom]; null without lines.
  function figureBox() {
    const c = centreOf(current);
    let box = null;
    for (const p of framePoints(current)) {
      if (!p) continue;
      const q = project(p, c);
      box = box ? [Math.min(box[0], q[0]), Math.min(box[1], q[1]), Math.max(box[2], q[0]), Math.max(box[3], q[1])]
                : [q[0], q[1], q[0], q[1]];
    }
    return box;
  }
  // After a zoom or a pan, the figure keeps at least a quarter of the canvas
  // (or all of itself, when smaller) on the canvas on each axis.
  function keepOnScreen() {
    const box = figureBox();
    if (!box) return;
    const shift = (lo, hi, size) => {
      const need = Math.min(hi - lo, size / 4);
      return hi < need ? need - hi : lo > size - need ? size - need - lo : 0;
    };
    cam.panX += shift(box[0], box[2], W), cam.panY += shift(box[1], box[3], H);
  }

  const slider = $('frame'), playButton = $('play'), readout = $('readout'), followBox = $('follow');
  const speedChoice = $('speed'), loopBox = $('loop'), stateOut = $('state');
  slider.max = String(n - 1);
  let current = 0;

  function draw(k) {
    current = Math.max(0, Math.min(n - 1, k));
    const c = centreOf(current);
    cx.fillStyle = clip.background, cx.fillRect(0, 0, W, H);
    drawGrid(current, c);
    const pts = framePoints(current), shape = clip.shapes[shapeOf[current]];
    cx.strokeStyle = clip.colour, cx.lineWidth = clip.lineWidth, cx.lineCap = 'round', cx.beginPath();
    for (let i = 1; i + 1 < shape.length; i += 2) {
      const a = pts[shape[i]], b = pts[shape[i + 1]];
      if (!a || !b) continue;
      const p = project(a, c), q = project(b, c);
      cx.moveTo(p[0], p[1]), cx.lineTo(q[0], q[1]);
    }
    cx.stroke();
    slider.value = String(current);
    readout.textContent = times[current].toFixed(3) + ' s \u00b7 frame ' + (current + 1) + ' / ' + n;
    const shown = cv.getBoundingClientRect();
    stateOut.textContent = JSON.stringify({
      frame: current, time: times[current], playing: timer !== null, follow: cam.follow,
      yaw: cam.yaw, pitch: cam.pitch, zoom: cam.zoom, joint: pts.length ? project(joint(current), c) : null,
      box: figureBox(), shown: [shown.width, shown.height], controlsBottom: $('bar').getBoundingClientRect().bottom,
      pageBottom: $('help').getBoundingClientRect().bottom,
      window: [window.innerWidth, window.innerHeight], errors: errors});
  }

  // Playback runs on a timer and places frames by the time elapsed, so a slow
  // machine skips frames rather than slowing the clip down.
  let timer = null, startedAt = 0, startFrame = 0;
  function tick() {
    const speed = Number(speedChoice.value);
    let k = startFrame + Math.floor((performance.now() - startedAt) / 1000 * clip.fps * speed);
    if (k >= n) {
      if (!loopBox.checked) { draw(n - 1); pause(); return; }
      k %= n;
    }
    draw(k);
    timer = setTimeout(tick, 1000 / 60);
  }
  function play() {
    if (timer !== null) return;
    startFrame = current >= n - 1 ? 0 : current, startedAt = performance.now();
    playButton.textContent = 'Pause';
    timer = setTimeout(tick, 0);
  }
  function pause() {
    clearTimeout(timer), timer = null;
    playButton.textContent = 'Play';
    draw(current);
  }
  const toggle = () => (timer === null ? play() : pause());
  function restart() { if (timer !== null) startFrame = current, startedAt = performance.now(); }

  playButton.onclick = toggle;
  slider.oninput = () => { draw(Number(slider.value)); restart(); };
  speedChoice.onchange = () => restart();
  followBox.onchange = () => { cam.follow = followBox.checked; fit(); draw(current); };
  for (const b of document.querySelectorAll('button[data-view]'))
    b.onclick = () => { const a = clip.views[b.dataset.view]; setAngles(a[0], a[1]); fit(); draw(current); };
  // The keys work wherever the focus is, except in the speed list; they take
  // the place of a focused button's or slider's own handling of them.
  document.addEventListener('keydown', (e) => {
    if (e.target.tagName === 'SELECT') return;
    if (e.key === ' ') toggle();
    else if (e.key === 'ArrowRight' || e.key === 'ArrowLeft') {
      if (timer !== null) pause();
      draw(current + (e.key === 'ArrowRight' ? 1 : -1));
    } else return;
    e.preventDefault();
  });

  // A page larger than the window shows its canvas smaller, so that the
  // controls under it stay in view.
  function fitToWindow() {
    const controls = $('bar').offsetHeight + $('help').offsetHeight;
    const k = Math.min(1, window.innerWidth / W, Math.max(0.1, (window.innerHeight - controls) / H));
    cv.style.width = W * k + 'px', cv.style.height = H * k + 'px';
  }
  window.addEventListener('resize', () => { fitToWindow(); draw(current); });

  // Canvas pixels per pixel of the page, where the canvas is shown smaller.
  const pixelsPerShown = () => W / cv.getBoundingClientRect().width;
  // The wheel zooms about the canvas pixel (x, y): what is under it stays there.
  function zoomAt(x, y, deltaY) {
    const before = cam.zoom;
    cam.zoom = Math.max(0.05, Math.min(50, cam.zoom * Math.exp(-deltaY * 0.0015)));
    const f = cam.zoom / before;
    cam.panX = x - W / 2 - f * (x - W / 2 - cam.panX);
    cam.panY = y - H / 2 - f * (y - H / 2 - cam.panY);
    keepOnScreen();
    draw(current);
  }

  // Drag to orbit, shift-drag to pan, wheel to zoom.
  let drag = null;
  cv.addEventListener('pointerdown', (e) => { drag = {x: e.clientX, y: e.clientY, pan: e.shiftKey}; cv.setPointerCapture(e.pointerId); });
  cv.addEventListener('pointerup', () => { drag = null; });
  cv.addEventListener('pointercancel', () => { drag = null; });
  cv.addEventListener('pointermove', (e) => {
    if (!drag) return;
    const dx = e.clientX - drag.x, dy = e.clientY - drag.y;
    drag.x = e.clientX, drag.y = e.clientY;
    if (drag.pan) cam.panX += dx * pixelsPerShown(), cam.panY += dy * pixelsPerShown(), keepOnScreen();
    else setAngles(cam.yaw - dx * 0.4, cam.pitch + dy * 0.4);
    draw(current);
  });
  cv.addEventListener('wheel', (e) => {
    e.preventDefault();
    const r = cv.getBoundingClientRect();
    zoomAt((e.clientX - r.left) * pixelsPerShown(), (e.clientY - r.top) * pixelsPerShown(), e.deltaY);
  }, {passive: false});

  // Start as the picture options asked, then apply the address's actions.
  setAngles(clip.view[0], clip.view[1]);
  cam.follow = followBox.checked = clip.follow;
  fitToWindow();
  fit();
  draw(0);
  for (const part of location.hash.replace(/^#/, '').split('&')) {
    const [key, value] = part.split('=');
    if (key === 'frame') { slider.value = value; slider.dispatchEvent(new Event('input')); }
    else if (key === 'follow' && !followBox.checked) followBox.click();
    else if (key === 'view' && clip.views[value]) document.querySelector('button[data-view="' + value + '"]').click();
    else if (key === 'play') playButton.click();
    else if (key === 'zoom') {
      const [x, y, delta] = value.split(',').map(Number), r = cv.getBoundingClientRect();
      cv.dispatchEvent(new WheelEvent('wheel', {clientX: r.left + x / pixelsPerShown(), clientY: r.top + y / pixelsPerShown(),
                                                deltaY: delta, cancelable: true}));
    }
  }
})();
