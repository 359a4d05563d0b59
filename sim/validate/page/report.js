// The validation report: a summary table per module, then each check with
// its figures against their limits and, for a check that flew, one chart
// per panel of what it flew.
(function () {
  'use strict';
  const data = JSON.parse(document.getElementById('report-data').textContent);
  const COLOURS = ['#1f77b4', '#d62728', '#2ca02c', '#ff7f0e'];
  const CHART = { width: 420, height: 170 };
  const PANELS = [
    { title: 'Altitude', unit: 'm', keys: ['altitude'] },
    { title: 'Speeds', unit: 'm/s', keys: ['airspeed', 'vspeed'] },
    { title: 'Attitude', unit: 'deg', keys: ['pitch', 'bank'] },
    { title: 'Body rates', unit: 'deg/s', keys: ['rate_pitch', 'rate_yaw', 'rate_bank'] },
    { title: 'Thrust levels', unit: '0..1', keys: ['main', 'hover'] },
  ];
  const BOUNDS = { 'at most': 'at most', 'at least': 'at least', reported: 'reported' };

  function element(tag, attributes, ...children) {
    const e = document.createElement(tag);
    for (const [k, v] of Object.entries(attributes || {})) e.setAttribute(k, v);
    for (const c of children) e.append(c);
    return e;
  }
  const withUnit = (value, unit) => (value === null ? '–' : `${Number(value.toPrecision(4))}${unit ? ' ' + unit : ''}`);
  const keyFigure = (check) => (check.figures.length > 0 ? check.figures[0].text : check.reason);

  function summary(module) {
    const table = element('table', { class: 'summary' },
      element('tr', {}, element('th', {}, 'check'), element('th', {}, 'verdict'), element('th', {}, 'key figure'), element('th', {}, 'time')));
    module.checks.forEach((check, i) => {
      const name = element('a', { href: `#check-${i}-${module.index}` }, check.name);
      table.append(element('tr', {}, element('td', {}, name), element('td', { class: check.verdict }, check.verdict),
        element('td', {}, keyFigure(check)), element('td', { class: 'number' }, `${check.seconds.toFixed(2)} s`)));
    });
    return table;
  }

  function figures(check) {
    const table = element('table', { class: 'figures' },
      element('tr', {}, element('th', {}, 'figure'), element('th', {}, 'measured'), element('th', {}, 'limit')));
    for (const f of check.figures) {
      const limit = f.bound === 'reported' ? 'reported' : `${BOUNDS[f.bound]} ${withUnit(f.limit, f.unit)}`;
      table.append(element('tr', {}, element('td', {}, f.name), element('td', { class: 'number' }, withUnit(f.value, f.unit)),
        element('td', {}, limit)));
    }
    return table;
  }

  function panels(flight) {
    const box = element('div', { class: 'panels' });
    const series = new Map(flight.series.map((s) => [s.key, s]));
    for (const panel of PANELS) {
      const shown = panel.keys.filter((k) => series.has(k) && series.get(k).values.some((v) => v !== null));
      if (shown.length === 0) continue;
      const holder = element('div', { class: 'panel', 'data-panel': panel.title });
      box.append(holder);
      new uPlot({
        title: `${panel.title} (${panel.unit})`, width: CHART.width, height: CHART.height,
        scales: { x: { time: false } },
        series: [{ label: 's' }, ...shown.map((k, i) => ({ label: k, stroke: COLOURS[i % COLOURS.length] }))],
      }, [flight.time, ...shown.map((k) => series.get(k).values)], holder);
    }
    return box;
  }

  function check(module, c, i) {
    const section = element('section', { id: `check-${i}-${module.index}`, class: 'check', 'data-check': c.name });
    section.append(element('h3', {}, element('span', { class: c.verdict }, c.verdict), ` ${c.name}`));
    section.append(element('p', { class: 'reason' }, c.reason));
    if (c.where) section.append(element('p', { class: 'where' }, c.where));
    if (c.figures.length > 0) section.append(figures(c));
    for (const flight of c.flights) {
      section.append(element('h4', {}, `${flight.title} (${flight.time[flight.time.length - 1]} s)`));
      section.append(panels(flight));
    }
    return section;
  }

  document.getElementById('totals').textContent =
    `${data.passed} passed (${data.warned} with a warning), ${data.failed} failed, ${data.skipped} skipped`;
  const main = document.getElementById('modules');
  data.modules.forEach((module, index) => {
    module.index = index;
    main.append(element('h2', {}, module.module), summary(module));
    module.checks.forEach((c, i) => main.append(check(module, c, i)));
  });
})();
