// The flight page: charts through uPlot, linked in zoom and cursor; the
// cockpit, the tracks and the event lane as SVG of our own, all following
// one current sample chosen by the slider, playback, the keyboard or the
// charts' cursor.
(function () {
  'use strict';
  const data = JSON.parse(document.getElementById('flight-data').textContent);
  // Runs of equal samples come as [value, count].
  const expand = (a) => a.flatMap((x) => (Array.isArray(x) ? new Array(x[1]).fill(x[0]) : [x]));
  for (const v of data.vessels) {
    v.step = expand(v.step);
    v.time = expand(v.time);
    v.beacons = expand(v.beacons);
    v.animations = v.animations.map(expand);
    for (const key of Object.keys(v.series)) v.series[key] = expand(v.series[key]);
  }
  const SVG = 'http://www.w3.org/2000/svg';
  const DEGREES = 180 / Math.PI;
  const COLOURS = ['#1f77b4', '#d62728', '#2ca02c', '#ff7f0e', '#9467bd', '#8c564b'];
  const CHART_HEIGHT = 170;
  const DIAL = { size: 124, height: 142, radius: 48, centre: 56, titleY: 120, tagY: 135, handLength: 42, handShrink: 11 };
  const TICKS_PER_TURN = 12;
  const SLIDER_BAR = { width: 124, height: 60, from: 12, to: 112, y: 28 };
  const VIEW_MARGIN = 34;
  // The attitude seen from behind, in the side view's top right corner: the
  // horizon banks and moves with pitch, a pixel a degree.
  const HORIZON = { radius: 26, inset: 34, pixelsPerDegree: 1 };
  const LANE = { rowHeight: 14, top: 14, left: 60, right: 20, labelGap: 6 };
  const FAST_STEP = 10;
  // A state that falls by more than WRAP in one sample, at least WRAPS_SEEN
  // times, turns round and round rather than being set back now and then.
  const WRAP = 0.5;
  const WRAPS_SEEN = 3;
  const PANELS = [
    { title: 'Altitude', unit: 'm', series: [['altitude', 'altitude']] },
    { title: 'Airspeed', unit: 'm/s', series: [['airspeed', 'airspeed']] },
    { title: 'Heading', unit: 'deg, 0 = north', series: [['heading', 'heading']] },
    { title: 'Vertical speed', unit: 'm/s, up positive', series: [['vspeed', 'vertical speed']] },
    { title: 'Attitude', unit: 'deg', series: [['pitch', 'pitch'], ['bank', 'bank'], ['aoa', 'angle of attack']] },
    { title: 'Body rates', unit: 'deg/s', series: [['rate_pitch', 'pitch'], ['rate_yaw', 'yaw'], ['rate_bank', 'bank']] },
    { title: 'Inputs', unit: 'level', series: [['main', 'main'], ['hover', 'hover'], ['rudder', 'rudder'], ['timeacc', 'time acceleration']] },
    { title: 'Fuel', unit: 'kg', series: [['fuel', 'fuel']] },
  ];

  let vessel = data.vessels[0];
  let index = 0;
  let charts = [];
  let needles = [];  // {element, component}
  let bars = [];     // {knob, component}
  let playing = false;
  let syncing = false;

  const $ = (id) => document.getElementById(id);
  function svgElement(name, attributes, parent) {
    const e = document.createElementNS(SVG, name);
    for (const [k, v] of Object.entries(attributes || {})) e.setAttribute(k, v);
    if (parent) parent.appendChild(e);
    return e;
  }
  function svgText(parent, x, y, text, attributes) {
    const t = svgElement('text', Object.assign({ x, y }, attributes || {}), parent);
    t.textContent = text;
    return t;
  }
  function animationName(i) {
    const n = data.animationNames[i];
    return n && n !== String(i) ? n : 'anim ' + i;
  }
  const fixed = (x, digits) => (x === null || x === undefined ? '-' : x.toFixed(digits));

  // A component's own progress at an animation state, as the host maps it.
  function progress(c, state) {
    if (state === null || state === undefined) return 0;
    if (c.to === c.from) return state >= c.from ? 1 : 0;
    return Math.min(1, Math.max(0, (state - c.from) / (c.to - c.from)));
  }
  function needleDegrees(c, state) { return c.angle * progress(c, state) * DEGREES; }

  // The latest sample at or before time t.
  function indexAt(t) {
    const time = vessel.time;
    let lo = 0, hi = time.length - 1;
    if (hi < 0 || t <= time[0]) return 0;
    while (lo < hi) {
      const mid = (lo + hi + 1) >> 1;
      if (time[mid] <= t) lo = mid; else hi = mid - 1;
    }
    return lo;
  }

  function buildDial(parent, title, components, tag) {
    const svg = svgElement('svg', { class: 'dial', width: DIAL.size, height: DIAL.height }, parent);
    svg.dataset.instrument = title;
    const g = svgElement('g', { transform: `translate(${DIAL.centre},${DIAL.centre})` }, svg);
    svgElement('circle', { class: 'face', r: DIAL.radius }, g);
    for (let k = 0; k < TICKS_PER_TURN; ++k) {
      const a = (2 * Math.PI * k) / TICKS_PER_TURN;
      svgElement('line', {
        class: 'tick', x1: 0.85 * DIAL.radius * Math.sin(a), y1: -0.85 * DIAL.radius * Math.cos(a),
        x2: DIAL.radius * Math.sin(a), y2: -DIAL.radius * Math.cos(a),
      }, g);
    }
    components.forEach((c, hand) => {
      const length = DIAL.handLength - hand * DIAL.handShrink;
      const needle = svgElement('line', {
        class: 'needle hand' + hand, x1: 0, y1: 6, x2: 0, y2: -length, transform: 'rotate(0)',
      }, g);
      needle.dataset.component = c.index;
      needle.dataset.animation = c.animation;
      needles.push({ element: needle, component: c });
    });
    svgElement('circle', { r: 3, fill: '#333' }, g);
    svgText(svg, DIAL.size / 2, DIAL.titleY, title, { 'text-anchor': 'middle', class: 'label' });
    if (tag) svgText(svg, DIAL.size / 2, DIAL.tagY, tag, { 'text-anchor': 'middle', class: 'label small', 'font-size': 9 });
  }

  function buildSlider(parent, title, c) {
    const svg = svgElement('svg', { class: 'dial', width: SLIDER_BAR.width, height: SLIDER_BAR.height }, parent);
    svgElement('line', { x1: SLIDER_BAR.from, x2: SLIDER_BAR.to, y1: SLIDER_BAR.y, y2: SLIDER_BAR.y, stroke: '#888', 'stroke-width': 4 }, svg);
    const knob = svgElement('circle', { r: 6, cx: SLIDER_BAR.from, cy: SLIDER_BAR.y, fill: '#c00' }, svg);
    knob.dataset.component = c.index;
    svgText(svg, SLIDER_BAR.width / 2, SLIDER_BAR.height - 10, title, { 'text-anchor': 'middle', class: 'label' });
    bars.push({ knob, component: c });
  }

  function buildCockpit() {
    needles = [];
    bars = [];
    const panel = $('panel'), generic = $('components');
    panel.textContent = '';
    generic.textContent = '';
    vessel.components.forEach((c, i) => { c.index = i; });
    const rotating = (anim) => vessel.components.filter((c) => c.type === 'rotate' && c.animation === anim);
    const shown = new Set();
    for (const instrument of data.cockpit) {
      const hands = [];
      for (const a of instrument.animations) for (const c of rotating(a)) { hands.push(c); shown.add(c.index); }
      if (hands.length > 0) buildDial(panel, instrument.title, hands, '');
    }
    $('panel').style.display = data.cockpit.length > 0 ? '' : 'none';
    for (const c of vessel.components) {
      if (shown.has(c.index)) continue;
      const title = animationName(c.animation) + ' #' + (c.index + 1);
      if (c.type === 'rotate') {
        const axis = c.axis.map((x) => +x.toFixed(2)).join(', ');
        buildDial(generic, title, [c], 'about (' + axis + ')');
      } else {
        buildSlider(generic, title, c);
      }
    }
  }

  function updateCockpit() {
    const states = vessel.animations.map((a) => a[index]);
    for (const n of needles) {
      const degrees = needleDegrees(n.component, states[n.component.animation]);
      n.element.setAttribute('transform', `rotate(${degrees.toFixed(3)})`);
    }
    for (const b of bars) {
      const p = progress(b.component, states[b.component.animation]);
      b.knob.setAttribute('cx', SLIDER_BAR.from + p * (SLIDER_BAR.to - SLIDER_BAR.from));
    }
    const box = $('states');
    box.textContent = '';
    const item = (text, on) => {
      const s = document.createElement('span');
      s.textContent = text;
      if (on) s.className = 'on';
      box.appendChild(s);
    };
    const names = data.animationNames;
    const gear = names.indexOf('gear'), rotors = names.indexOf('rotors');
    if (gear >= 0 && states[gear] !== undefined) {
      const g = states[gear];
      item('gear ' + (g <= 0 ? 'down and locked' : g >= 1 ? 'up' : 'moving ' + fixed(g, 2)), g > 0 && g < 1);
    }
    if (rotors >= 0 && states[rotors] !== undefined) item('rotor phase ' + fixed(states[rotors], 3), false);
    const beacons = vessel.beacons[index] || 0;
    item('beacons ' + (beacons ? 'on' : 'off'), beacons !== 0);
    const s = vessel.series;
    item('ground contact ' + (s.ground[index] ? 'yes' : 'no'), false);
    item('pitch ' + fixed(s.pitch[index], 1) + '°, bank ' + fixed(s.bank[index], 1) + '°, heading ' + fixed(s.heading[index], 1) + '°', false);
  }

  // Side view (distance flown over the ground against altitude) and top view
  // (east against north), each with the vessel drawn at the cursor.
  let views = null;
  function buildViews() {
    const s = vessel.series;
    const distance = [0];
    for (let i = 1; i < vessel.time.length; ++i) {
      const de = (s.east[i] || 0) - (s.east[i - 1] || 0), dn = (s.north[i] || 0) - (s.north[i - 1] || 0);
      distance.push(distance[i - 1] + Math.hypot(de, dn));
    }
    const make = (id, xs, ys, xLabel, yLabel, equal) => {
      const svg = $(id);
      svg.textContent = '';
      const width = +svg.getAttribute('width'), height = +svg.getAttribute('height');
      const finite = (v) => v.filter((x) => x !== null && isFinite(x));
      let x0 = Math.min(...finite(xs)), x1 = Math.max(...finite(xs));
      let y0 = Math.min(...finite(ys)), y1 = Math.max(...finite(ys));
      if (!(x1 > x0)) x1 = x0 + 1;
      if (!(y1 > y0)) y1 = y0 + 1;
      const w = width - 2 * VIEW_MARGIN, h = height - 2 * VIEW_MARGIN;
      let sx = w / (x1 - x0), sy = h / (y1 - y0);
      if (equal) sx = sy = Math.min(sx, sy);
      const X = (x) => VIEW_MARGIN + (x - x0) * sx, Y = (y) => height - VIEW_MARGIN - (y - y0) * sy;
      const points = [];
      for (let i = 0; i < xs.length; ++i) if (xs[i] !== null && ys[i] !== null) points.push(X(xs[i]).toFixed(1) + ',' + Y(ys[i]).toFixed(1));
      svgElement('polyline', { class: 'track', points: points.join(' ') }, svg);
      svgText(svg, width / 2, height - 8, xLabel, { 'text-anchor': 'middle', class: 'label' });
      svgText(svg, 10, 16, yLabel, { class: 'label' });
      svgText(svg, VIEW_MARGIN, height - VIEW_MARGIN + 14, fixed(x0, 0), { class: 'label' });
      svgText(svg, width - VIEW_MARGIN, height - VIEW_MARGIN + 14, fixed(x1, 0), { 'text-anchor': 'end', class: 'label' });
      const craft = svgElement('path', { class: 'craft', d: 'M 12 0 L -8 -5 L -5 0 L -8 5 Z' }, svg);
      return { craft, X, Y };
    };
    views = {
      distance,
      side: make('side', distance, s.altitude, 'distance over the ground (m)', 'side view: altitude (m) ' + fixed(Math.max(...s.altitude.filter(isFinite)), 0) + ' top', false),
      top: make('top', s.east, s.north, 'east (m)', 'top view: north (m) up', true),
    };
    const side = $('side');
    const cx = +side.getAttribute('width') - HORIZON.inset, cy = HORIZON.inset;
    const ball = svgElement('g', { transform: `translate(${cx},${cy})` }, side);
    const clip = svgElement('clipPath', { id: 'horizon-clip' }, ball);
    svgElement('circle', { r: HORIZON.radius }, clip);
    const world = svgElement('g', { 'clip-path': 'url(#horizon-clip)' }, ball);
    const horizon = svgElement('g', {}, world);
    svgElement('rect', { x: -3 * HORIZON.radius, y: -3 * HORIZON.radius, width: 6 * HORIZON.radius, height: 3 * HORIZON.radius, fill: '#9cd3f5' }, horizon);
    svgElement('rect', { x: -3 * HORIZON.radius, y: 0, width: 6 * HORIZON.radius, height: 3 * HORIZON.radius, fill: '#c8a26e' }, horizon);
    svgElement('circle', { r: HORIZON.radius, fill: 'none', stroke: '#555' }, ball);
    svgElement('path', { d: 'M -16 0 L -5 0 L 0 5 L 5 0 L 16 0', fill: 'none', stroke: '#000', 'stroke-width': 2 }, ball);
    views.horizon = horizon;
  }
  function updateViews() {
    const s = vessel.series;
    const side = views.side, top = views.top;
    side.craft.setAttribute('transform', `translate(${side.X(views.distance[index]).toFixed(1)},${side.Y(s.altitude[index] || 0).toFixed(1)}) rotate(${(-(s.pitch[index] || 0)).toFixed(2)})`);
    // Right wing up turns the horizon anticlockwise; nose up lowers it.
    const pitch = (s.pitch[index] || 0) * HORIZON.pixelsPerDegree, bank = s.bank[index] || 0;
    views.horizon.setAttribute('transform', `rotate(${(-bank).toFixed(2)}) translate(0,${pitch.toFixed(2)})`);
    // Nose to the north points up the page; heading turns it clockwise.
    top.craft.setAttribute('transform', `translate(${top.X(s.east[index] || 0).toFixed(1)},${top.Y(s.north[index] || 0).toFixed(1)}) rotate(${((s.heading[index] || 0) - 90).toFixed(2)})`);
  }

  // Events and touchdowns along the whole flight, their labels placed in the
  // first row where they overlap nothing.
  let lane = null;
  function buildTimeline() {
    const svg = $('timeline');
    svg.textContent = '';
    const width = +svg.getAttribute('width');
    const t0 = vessel.time[0] || 0, t1 = Math.max(vessel.time[vessel.time.length - 1] || 1, t0 + 1e-9);
    const X = (t) => LANE.left + ((t - t0) / (t1 - t0)) * (width - LANE.left - LANE.right);
    const items = data.events.map((e) => ({ time: e.time, text: e.text, cls: 'event-line' }))
      .concat(vessel.touchdowns.map((d) => ({ time: d.time, text: `touchdown, sinking ${(-d.vspeed).toFixed(2)} m/s${d.crash ? ' (crash)' : ''}`, cls: 'touchdown-line' })));
    items.sort((a, b) => a.time - b.time);
    const rowEnds = [];
    const lines = svgElement('g', {}, svg);
    for (const it of items) {
      const x = X(it.time);
      const label = svgText(svg, x + 2, 0, it.text, { class: 'label lane-label' });
      const w = label.getBBox().width;
      const start = Math.min(x + 2, width - LANE.right - w);
      let row = rowEnds.findIndex((end) => end + LANE.labelGap <= start);
      if (row < 0) { row = rowEnds.length; rowEnds.push(0); }
      rowEnds[row] = start + w;
      label.setAttribute('x', start.toFixed(1));
      label.setAttribute('y', LANE.top + row * LANE.rowHeight);
      it.row = row;
      it.x = x;
    }
    const height = LANE.top + Math.max(1, rowEnds.length) * LANE.rowHeight + 6;
    svg.setAttribute('height', height);
    for (const it of items) svgElement('line', { class: it.cls, x1: it.x, x2: it.x, y1: 0, y2: height }, lines);
    svgText(svg, 4, LANE.top, 'events', { class: 'label', fill: '#666' });
    const cursor = svgElement('line', { class: 'cursor-line', x1: 0, x2: 0, y1: 0, y2: height }, svg);
    lane = { X, cursor, items };
  }
  function updateTimeline() {
    const x = lane.X(vessel.time[index] || 0).toFixed(1);
    lane.cursor.setAttribute('x1', x);
    lane.cursor.setAttribute('x2', x);
  }

  // On every chart: the events as thin lines, touchdowns red, limits dashed.
  function drawMarks(u, panel) {
    const ctx = u.ctx, top = u.bbox.top, bottom = u.bbox.top + u.bbox.height;
    ctx.save();
    ctx.lineWidth = 1;
    const vertical = (t, colour) => {
      const x = u.valToPos(t, 'x', true);
      if (x < u.bbox.left || x > u.bbox.left + u.bbox.width) return;
      ctx.strokeStyle = colour;
      ctx.beginPath();
      ctx.moveTo(x, top);
      ctx.lineTo(x, bottom);
      ctx.stroke();
    };
    ctx.setLineDash([2, 3]);
    for (const e of data.events) vertical(e.time, '#999');
    ctx.setLineDash([]);
    for (const d of vessel.touchdowns) vertical(d.time, '#d00');
    ctx.setLineDash([6, 4]);
    ctx.fillStyle = '#555';
    ctx.font = `${11 * devicePixelRatio}px sans-serif`;
    ctx.textAlign = 'right';
    for (const l of data.limits) {
      if (l.series !== panel.series[0][0]) continue;
      const y = u.valToPos(l.value, 'y', true);
      ctx.strokeStyle = '#999';
      ctx.beginPath();
      ctx.moveTo(u.bbox.left, y);
      ctx.lineTo(u.bbox.left + u.bbox.width, y);
      ctx.stroke();
      ctx.fillText(l.label, u.bbox.left + u.bbox.width - 4, y + 14 * devicePixelRatio);
    }
    ctx.restore();
  }

  function buildCharts() {
    for (const c of charts) c.destroy();
    charts = [];
    const host = $('charts');
    host.textContent = '';
    const width = Math.max(600, Math.min(1200, document.body.clientWidth - 40));
    const panels = PANELS.concat([{
      title: 'Animation states', unit: '0..1',
      series: vessel.animations.map((_, i) => ['anim:' + i, animationName(i)]),
    }]);
    const columnOf = (key) => (key.startsWith('anim:') ? vessel.animations[+key.slice(5)] : vessel.series[key]);
    // A state that wraps round (a rotor's phase, a clock hand) is a band at
    // this scale: hidden until its legend entry is clicked.
    const wraps = (key) => {
      if (!key.startsWith('anim:')) return false;
      const a = columnOf(key);
      let seen = 0;
      for (let i = 1; i < a.length && seen < WRAPS_SEEN; ++i) if (a[i - 1] - a[i] > WRAP) ++seen;
      return seen >= WRAPS_SEEN;
    };
    for (const panel of panels) {
      const div = document.createElement('div');
      div.className = 'panel';
      div.dataset.panel = panel.title;
      host.appendChild(div);
      const accelerated = panel.series.some(([key]) => key === 'timeacc');
      const series = [{ label: 'time (s)' }].concat(panel.series.map(([key, label], i) => ({
        label, stroke: COLOURS[i % COLOURS.length], width: 1.5, scale: key === 'timeacc' ? 'acc' : 'y',
        show: !wraps(key),
      })));
      const axes = [{ label: 'time (s)' }, { label: panel.unit, scale: 'y' }];
      if (accelerated) axes.push({ scale: 'acc', side: 1, grid: { show: false }, label: 'time acceleration' });
      const options = {
        title: panel.title + ' (' + panel.unit + ')',
        width, height: CHART_HEIGHT, series, axes,
        scales: { x: { time: false } },
        cursor: { sync: { key: 'flight' }, drag: { x: true, y: false } },
        hooks: {
          draw: [(u) => drawMarks(u, panel)],
          setScale: [(u, key) => {
            if (key !== 'x' || syncing) return;
            syncing = true;
            const { min, max } = u.scales.x;
            for (const other of charts) if (other !== u) other.setScale('x', { min, max });
            syncing = false;
          }],
          setCursor: [(u) => {
            if (syncing || u.cursor.idx === null || u.cursor.idx === undefined || u.cursor.left < 0) return;
            if (u.cursor.event) seek(u.cursor.idx, false);
          }],
        },
      };
      charts.push(new uPlot(options, [vessel.time].concat(panel.series.map(([key]) => columnOf(key))), div));
    }
  }
  function updateCharts() {
    syncing = true;
    const t = vessel.time[index];
    for (const u of charts) {
      const left = u.valToPos(t, 'x');
      if (left >= 0 && left <= u.bbox.width / devicePixelRatio) u.setCursor({ left, top: u.bbox.height / devicePixelRatio / 2 });
    }
    syncing = false;
  }

  function seek(i, moveCharts) {
    const last = vessel.time.length - 1;
    index = Math.max(0, Math.min(last, Math.round(i)));
    $('slider').value = index;
    $('clock').textContent = `t = ${vessel.time[index].toFixed(2)} s · step ${vessel.step[index]}`;
    updateCockpit();
    updateViews();
    updateTimeline();
    if (moveCharts !== false) updateCharts();
  }

  // Playback runs on the flight's own clock, times the chosen speed.
  let lastFrame = null;
  let playTime = 0;
  function frame(now) {
    if (!playing) return;
    if (lastFrame !== null) {
      playTime += ((now - lastFrame) / 1000) * +$('speed').value;
      seek(indexAt(playTime));
      if (index >= vessel.time.length - 1) { setPlaying(false); return; }
    }
    lastFrame = now;
    requestAnimationFrame(frame);
  }
  function setPlaying(on) {
    playing = on && index < vessel.time.length - 1;
    $('play').textContent = playing ? 'pause' : 'play';
    lastFrame = null;
    playTime = vessel.time[index];
    if (playing) requestAnimationFrame(frame);
  }

  function chooseVessel(name) {
    vessel = data.vessels.find((v) => v.name === name) || data.vessels[0];
    $('slider').max = Math.max(0, vessel.time.length - 1);
    buildCockpit();
    buildViews();
    buildTimeline();
    buildCharts();
    seek(0);
  }

  function start() {
    document.title = 'Flight: ' + data.title;
    $('title').textContent = 'Flight: ' + data.title;
    if (data.vessels.length === 0) {
      $('title').textContent += ' (no vessel flew)';
      return;
    }
    const select = $('vessel');
    for (const v of data.vessels) {
      const o = document.createElement('option');
      o.value = o.textContent = v.name;
      select.appendChild(o);
    }
    select.addEventListener('change', () => chooseVessel(select.value));
    $('slider').addEventListener('input', (e) => seek(+e.target.value));
    $('play').addEventListener('click', () => setPlaying(!playing));
    document.addEventListener('keydown', (e) => {
      // A focused menu keeps its keys, a focused button its Space.
      if (e.target.tagName === 'SELECT' || (e.target.tagName === 'BUTTON' && e.key === ' ')) return;
      const step = e.shiftKey ? FAST_STEP : 1;
      const keys = {
        ArrowRight: () => seek(index + step), ArrowLeft: () => seek(index - step),
        Home: () => seek(0), End: () => seek(vessel.time.length - 1), ' ': () => setPlaying(!playing),
      };
      if (keys[e.key]) { e.preventDefault(); keys[e.key](); }
    });
    chooseVessel(data.vessels[0].name);
  }

  // For the browser test and for a reader at the console.
  window.flightViewer = {
    seekTime: (t) => seek(indexAt(t)),
    index: () => index,
    time: () => vessel.time[index],
    vessel: () => vessel.name,
    step: () => vessel.step[index],
    chartCursors: () => charts.map((u) => u.cursor.idx),
    playing: () => playing,
  };
  start();
})();
