// The scenario viewer: draws the ground plan and the profiles from the data
// embedded in the page, and answers the author's questions about them.
// scenarioView.setData(data) replaces the scenario in place, keeping the
// zoom, the position, the cursor and the selection.
"use strict";

(function () {
  const COLOURS = {
    station: "#1f4e9c", signal: "#c62828", slowdown: "#ef8a00", board: "#6a1b9a",
    sign: "#6d4c41", kmref: "#00796b", track: "#37474f", cursor: "#d81b60",
    mountain: "#66bb6a", tunnel: "#222", speed: "#c62828", gradient: "#1565c0", adhesion: "#5d4037",
    range: "rgba(21, 101, 192, 0.10)",
  };
  const KINDS = {
    0: "nothing", 1: "signal", 2: "slowdown end", 3: "slowdown start", 4: "slowdown warning",
    5: "slowdown approach board", 6: "maximum-speed board", 10: "station end marker",
    11: "mountain marker", 12: "marker", 13: "abbattimento (value below 1)", 14: "sign",
  };
  const PARTS = ["object", "countdown", "mountain", "speed", "gradient", "adhesion"];
  // Which cell part each field belongs to (for its writer).
  const FIELD_PART = {
    kind: 0, value_a: 0, value_b: 0, value_c: 0, value_d: 0, timing: 0, countdown: 1,
    mountain: 2, speed_code: 3, gradient_code: 4, adhesion: 5,
  };

  // ---- Small helpers -------------------------------------------------------

  function fmtMetres(m) {
    return Math.round(m).toLocaleString("en-US").replace(/,/g, "\u2009") + " m";
  }
  function niceStep(limit) {
    if (!(limit > 1)) return 1;
    const p = Math.pow(10, Math.floor(Math.log10(limit)));
    for (const f of [5, 2, 1]) if (f * p <= limit) return f * p;
    return p;
  }
  function el(tag, attrs, ...children) {
    const e = document.createElement(tag);
    for (const [k, v] of Object.entries(attrs || {})) {
      if (k === "class") e.className = v;
      else if (k.startsWith("on")) e.addEventListener(k.slice(2), v);
      else e.setAttribute(k, v);
    }
    for (const c of children) if (c != null) e.append(c);
    return e;
  }
  function fitCanvas(canvas) {
    const ratio = window.devicePixelRatio || 1;
    const w = canvas.clientWidth, h = canvas.clientHeight;
    if (canvas.width !== Math.round(w * ratio) || canvas.height !== Math.round(h * ratio)) {
      canvas.width = Math.round(w * ratio);
      canvas.height = Math.round(h * ratio);
    }
    const g = canvas.getContext("2d");
    g.setTransform(ratio, 0, 0, ratio, 0, 0);
    return { g, w, h };
  }

  // ---- The scenario, with what is derived from it --------------------------

  class Scenario {
    constructor(data) {
      this.data = data;
      const c = data.cells;
      this.cellCount = c.kind.length;
      this.cellMetres = data.cellMetres;
      this.grid = data.grid;
      this.routeLength = Math.max(data.routeLength, this.cellMetres);
      // The track runs on past the route's end (the run-out): the cells and
      // the plan go that far, the route itself does not.
      const gridEnd = this.grid.metre[this.grid.metre.length - 1] || 0;
      this.runOutEnd = Math.max(this.routeLength, gridEnd);
      this.plan = data.plan && data.plan.m.length >= 2 ? data.plan : null;
      if (this.plan) this.indexPlan();
      this.objects = this.collectObjects();
      this.writers = this.expandWriters();
      this.records = data.records || [];
    }

    indexPlan() {
      const p = this.plan;
      let x0 = Infinity, y0 = Infinity, x1 = -Infinity, y1 = -Infinity;
      // Chunks of points with their bounds: only chunks in view are drawn.
      this.chunks = [];
      const size = 128;
      for (let s = 0; s < p.m.length - 1; s += size) {
        const e = Math.min(s + size, p.m.length - 1);
        let cx0 = Infinity, cy0 = Infinity, cx1 = -Infinity, cy1 = -Infinity;
        for (let i = s; i <= e; i++) {
          cx0 = Math.min(cx0, p.x[i]); cx1 = Math.max(cx1, p.x[i]);
          cy0 = Math.min(cy0, p.y[i]); cy1 = Math.max(cy1, p.y[i]);
        }
        this.chunks.push({ s, e, x0: cx0, y0: cy0, x1: cx1, y1: cy1 });
      }
      // The route's own extent (up to its end, not the run-out): what the
      // plan fits to.
      for (let i = 0; i < p.m.length && p.m[i] <= this.routeLength; i++) {
        x0 = Math.min(x0, p.x[i]); x1 = Math.max(x1, p.x[i]); y0 = Math.min(y0, p.y[i]); y1 = Math.max(y1, p.y[i]);
      }
      const end = this.pointAt(this.routeLength);
      x0 = Math.min(x0, end.x); x1 = Math.max(x1, end.x); y0 = Math.min(y0, end.y); y1 = Math.max(y1, end.y);
      this.bounds = { x0, y0, x1, y1 };
    }

    // The plan point at a metre (interpolated between kept points).
    pointAt(metre) {
      const p = this.plan;
      if (!p) return null;
      const m = Math.max(p.m[0], Math.min(metre, p.m[p.m.length - 1]));
      let lo = 0, hi = p.m.length - 1;
      while (hi - lo > 1) {
        const mid = (lo + hi) >> 1;
        if (p.m[mid] <= m) lo = mid; else hi = mid;
      }
      const t = p.m[hi] === p.m[lo] ? 0 : (m - p.m[lo]) / (p.m[hi] - p.m[lo]);
      return { x: p.x[lo] + t * (p.x[hi] - p.x[lo]), y: p.y[lo] + t * (p.y[hi] - p.y[lo]) };
    }

    // The metre of the track nearest to a plan point, and its distance.
    nearestMetre(x, y) {
      const p = this.plan;
      let best = Infinity, bestMetre = 0;
      for (const ch of this.chunks) {
        // A chunk farther than the best so far cannot hold a nearer point.
        const dx = Math.max(ch.x0 - x, 0, x - ch.x1), dy = Math.max(ch.y0 - y, 0, y - ch.y1);
        if (dx * dx + dy * dy > best) continue;
        for (let i = ch.s; i < ch.e; i++) {
          const ax = p.x[i], ay = p.y[i], bx = p.x[i + 1], by = p.y[i + 1];
          const vx = bx - ax, vy = by - ay, len2 = vx * vx + vy * vy;
          let t = len2 > 0 ? ((x - ax) * vx + (y - ay) * vy) / len2 : 0;
          t = Math.max(0, Math.min(1, t));
          const qx = ax + t * vx - x, qy = ay + t * vy - y, d = qx * qx + qy * qy;
          if (d < best) { best = d; bestMetre = p.m[i] + t * (p.m[i + 1] - p.m[i]); }
        }
      }
      return { metre: bestMetre, distance: Math.sqrt(best) };
    }

    // The cell a metre falls in, and the metre a cell stands for, as the
    // data gives them (cells 0 to one past the last).
    cellOf(metre) {
      const start = this.grid.start, included = this.grid.startIn;
      let lo = 0, hi = start.length - 1;
      if (!(start[0] < metre || (start[0] === metre && included[0]))) return -1;
      while (lo < hi) {
        const mid = (lo + hi + 1) >> 1;
        if (start[mid] < metre || (start[mid] === metre && included[mid])) lo = mid;
        else hi = mid - 1;
      }
      return lo;
    }
    metreOf(cell) { return this.grid.metre[cell]; }

    // A cell field by name: a profile's values as the data converted them
    // (speed in km/h, gradient), else the field as stored.
    column(field) { return (this.data.values && this.data.values[field]) || this.data.cells[field]; }

    // The lowest and highest value of a cell field over the grid.
    extent(field) {
      this.extents = this.extents || {};
      if (!this.extents[field]) {
        let lo = Infinity, hi = -Infinity;
        // Over the route: the cells beyond its end keep zeros that are no value.
        const values = this.column(field), last = Math.min(values.length - 1, this.cellOf(this.routeLength));
        for (let i = 0; i <= last; i++) { const v = values[i]; if (v < lo) lo = v; if (v > hi) hi = v; }
        // No cell at all (the live page of a scenario that built no grid).
        this.extents[field] = lo <= hi ? [lo, hi] : [0, 0];
      }
      return this.extents[field];
    }

    cell(i) {
      const c = this.data.cells, out = {};
      for (const k of Object.keys(c)) out[k] = c[k][i];
      return out;
    }

    collectObjects() {
      const d = this.data, c = d.cells, list = [];
      const recordOfSlot = new Map();
      (d.records || []).forEach((r, id) => r.slots.forEach((s) => recordOfSlot.set(s, id)));
      for (const s of d.objects.stations) {
        list.push({ type: "station", key: "station:" + s.slot, metre: s.position, from: s.start, to: s.end,
                    name: s.name, station: s, slotRecord: recordOfSlot.get(s.slot) });
      }
      for (let i = 0; i < this.cellCount; i++) {
        const k = c.kind[i], m = this.metreOf(i);
        if (k === 1) list.push({ type: "signal", key: "cell:" + i, metre: m, cell: i, name: "signal at " + fmtMetres(m) });
        else if (k === 6) list.push({ type: "board", key: "cell:" + i, metre: m, cell: i, name: "max-speed board at " + fmtMetres(m) });
        else if (k === 14) {
          const sign = d.objects.signs.find((s) => s.metre === m);
          list.push({ type: "sign", key: "cell:" + i, metre: m, cell: i, name: "sign \u201c" + (sign ? sign.text : "") + "\u201d" });
        }
      }
      for (const s of d.objects.slowdowns) {
        const cell = s.cell;
        list.push({ type: "slowdown", key: "cell:" + cell, metre: s.start, from: s.start, to: s.end, cell,
                    name: "slowdown " + s.speed + " km/h, " + fmtMetres(s.start) + " to " + fmtMetres(s.end) });
      }
      for (const o of list) if (o.type === "station") o.cell = o.station.cell;
      return list;
    }

    // Per part, the writer record of every cell (-1: none).
    expandWriters() {
      const w = this.data.writers;
      if (!w) return null;
      return w.map((runs) => {
        const a = new Int32Array(this.cellCount).fill(-1);
        for (const [first, last, record] of runs) a.fill(record, first, last + 1);
        return a;
      });
    }

    writerOf(cell, field) {
      if (!this.writers || cell < 0 || cell >= this.cellCount) return -1;
      return this.writers[FIELD_PART[field]][cell];
    }

    recordOf(object) {
      if (object.type === "station" && object.slotRecord !== undefined) return object.slotRecord;
      return this.writerOf(object.cell, "kind");
    }

    sourceLine(source, line) {
      const s = this.data.sources[source];
      return s && line >= 1 && line <= s.lines.length ? s.lines[line - 1] : null;
    }
  }

  // ---- Cell decoding: every field by name -----------------------------------

  function decodeCell(scenario, i) {
    const c = scenario.cell(i), d = scenario.data;
    const rows = [];
    const add = (field, label, value) => rows.push({ field, label, value });
    add("kind", "kind", c.kind + " \u2013 " + (KINDS[c.kind] || "unknown"));
    const pairs = (d.values && d.values.boardSpeeds && d.values.boardSpeeds[i]) || [];
    const speeds = (k) => (pairs[k] ? pairs[k][0] + " / " + pairs[k][1] + " km/h" : "?");
    switch (c.kind) {
      case 1:
        add("value_a", "value_a (s1\u00d710+d1)", c.value_a);
        add("value_b", "value_b (s2\u00d710+d2)", c.value_b);
        add("value_c", "value_c (s3\u00d710+d3)", c.value_c);
        add("value_d", "value_d (rapp\u00d710+sx\u00d73+dx)", c.value_d);
        add("timing", "timing", c.timing);
        break;
      case 2: case 3: case 4:
        add("value_a", "speed v", c.value_a + " km/h");
        add("value_b", "d_v", c.value_b);
        if (c.kind !== 4) add("value_c", "f_tt", c.value_c);
        break;
      case 5:
        add("value_a", "board number", c.value_a);
        add("value_b", "value_b", c.value_b);
        break;
      case 6:
        add("value_a", "speeds A (packed)", c.value_a + " (" + speeds(0) + ")");
        add("value_b", "speeds B (packed)", c.value_b + " (" + speeds(1) + ")");
        add("value_c", "speeds C (packed)", c.value_c + " (" + speeds(2) + ")");
        add("value_d", "stripes", c.value_d);
        break;
      case 10: {
        const s = d.objects.stations.find((st) => st.slot === c.value_a);
        add("value_a", "station slot", c.value_a + (s ? " (" + s.name + ")" : ""));
        break;
      }
      case 12:
        add("value_a", "value_a", c.value_a);
        break;
      case 14: {
        const sign = d.objects.signs.find((s) => s.metre === scenario.metreOf(i));
        add("value_a", "sign slot", c.value_a + (sign ? " (\u201c" + sign.text + "\u201d)" : ""));
        break;
      }
      default:
        for (const f of ["value_a", "value_b", "value_c", "value_d", "timing"]) if (c[f]) add(f, f, c[f]);
    }
    // Signals write (aspect x 10 + mark), stations 81 to 84: the record that
    // wrote the mark tells which, when it is known.
    let countdown = String(c.countdown);
    const writer = scenario.writerOf(i, "countdown");
    const byStation = writer >= 0 ? /stazione/i.test(scenario.records[writer].keyword) : null;
    const stationMark = "station mark " + (c.countdown - 80);
    const signalMark = "signal aspect " + Math.floor(c.countdown / 10) + ", mark " + (c.countdown % 10);
    if (c.countdown >= 81 && c.countdown <= 84 && byStation !== false) {
      countdown += " (" + (byStation ? stationMark : signalMark + ", or " + stationMark) + ")";
    } else if (c.countdown) {
      countdown += " (" + signalMark + ")";
    }
    add("countdown", "countdown", countdown);
    add("mountain", "mountain", c.mountain ? "type " + c.mountain : "none");
    // The converted values come with the data, from the compiler's own conversions.
    add("speed_code", "speed", scenario.column("speed")[i] + " km/h (code " + c.speed_code + ")");
    add("gradient_code", "gradient", scenario.column("gradient")[i] + " (code " + c.gradient_code + ")");
    add("adhesion", "adhesion", c.adhesion);
    return rows;
  }

  // ---- The viewer ----------------------------------------------------------

  class View {
    constructor() {
      this.planCanvas = document.getElementById("plan");
      this.rangeCanvas = document.getElementById("range");
      this.profileCanvas = document.getElementById("profiles");
      this.range = null;      // [m0, m1] of the profiles
      this.planView = null;   // { cx, cy, scale (px per metre) }
      this.cursor = null;     // cell index
      this.selection = null;  // object key, "record:N" or "diagnostic:N"
      this.frame = 0;
      this.bind();
    }

    setData(data) {
      this.scenario = new Scenario(data);
      const s = this.scenario;
      if (!this.range) this.range = [0, s.routeLength];
      this.range = this.clampRange(this.range[0], this.range[1]);
      if (this.cursor !== null) this.cursor = Math.max(0, Math.min(this.cursor, s.cellCount - 1));
      document.getElementById("plan-note").hidden = !!s.plan;
      document.getElementById("plan-note").textContent = "This scenario has no route plan.";
      this.buildLists();
      this.buildDiagnostics();
      if (!this.planView) this.fitPlan();
      this.showCursor();
      this.showSelection();
      this.redraw();
    }

    // ---- Geometry ----

    // The profiles show the route and, dimmed, its run-out.
    clampRange(m0, m1) {
      const total = this.scenario.runOutEnd;
      let width = Math.max(Math.min(m1 - m0, total), 2 * this.scenario.cellMetres);
      m0 = Math.max(0, Math.min(m0, total - width));
      return [m0, m0 + width];
    }
    // Canvas sizes are read once a frame: reading them per point would make
    // the browser recompute the layout each time.
    measure() {
      this.sizes = {
        planW: this.planCanvas.clientWidth, planH: this.planCanvas.clientHeight,
        profW: this.profileCanvas.clientWidth, profH: this.profileCanvas.clientHeight,
      };
    }
    profileLayout() {
      if (!this.sizes) this.measure();
      const w = this.sizes.profW, h = this.sizes.profH;
      const left = 110, right = 14, top = 22;
      return { w, h, left, right, top, plotW: Math.max(w - left - right, 10) };
    }
    metreToX(m) {
      const L = this.profileLayout();
      return L.left + (m - this.range[0]) / (this.range[1] - this.range[0]) * L.plotW;
    }
    xToMetre(x) {
      const L = this.profileLayout();
      return this.range[0] + (x - L.left) / L.plotW * (this.range[1] - this.range[0]);
    }
    planToScreen(x, y) {
      if (!this.sizes) this.measure();
      const v = this.planView, w = this.sizes.planW, h = this.sizes.planH;
      return [w / 2 + (x - v.cx) * v.scale, h / 2 - (y - v.cy) * v.scale];
    }
    screenToPlan(sx, sy) {
      if (!this.sizes) this.measure();
      const v = this.planView, w = this.sizes.planW, h = this.sizes.planH;
      return [v.cx + (sx - w / 2) / v.scale, v.cy - (sy - h / 2) / v.scale];
    }

    fitPlan() {
      const s = this.scenario;
      if (!s.plan) { this.planView = { cx: 0, cy: 0, scale: 1 }; return; }
      const b = s.bounds, w = this.planCanvas.clientWidth || 800, h = this.planCanvas.clientHeight || 400;
      const scale = Math.min((w - 60) / Math.max(b.x1 - b.x0, 1), (h - 60) / Math.max(b.y1 - b.y0, 1), 50);
      this.planView = { cx: (b.x0 + b.x1) / 2, cy: (b.y0 + b.y1) / 2, scale };
    }
    fit() {
      this.range = this.clampRange(0, this.scenario.routeLength);
      this.fitPlan();
      this.redraw();
    }
    zoomProfiles(factor, atMetre) {
      const [m0, m1] = this.range;
      const at = atMetre === undefined ? (m0 + m1) / 2 : atMetre;
      this.range = this.clampRange(at - (at - m0) * factor, at + (m1 - at) * factor);
      this.redraw();
    }
    zoomPlan(factor, sx, sy) {
      const v = this.planView;
      const w = this.planCanvas.clientWidth, h = this.planCanvas.clientHeight;
      if (sx === undefined) { sx = w / 2; sy = h / 2; }
      const [px, py] = this.screenToPlan(sx, sy);
      v.scale = Math.max(1e-4, Math.min(v.scale / factor, 200));
      // Keep the point under the mouse where it is.
      v.cx = px - (sx - w / 2) / v.scale;
      v.cy = py + (sy - h / 2) / v.scale;
      this.redraw();
    }
    // The buttons and keys zoom around the cursor when it is in view, else
    // around the middle.
    zoom(factor) {
      const m = this.cursor === null ? null : this.scenario.metreOf(this.cursor);
      const inRange = m !== null && m >= this.range[0] && m <= this.range[1];
      this.zoomProfiles(factor, inRange ? m : undefined);
      if (!this.scenario.plan) return;
      const p = m === null ? null : this.scenario.pointAt(m);
      const [sx, sy] = p ? this.planToScreen(p.x, p.y) : [-1, -1];
      const onPlan = sx >= 0 && sy >= 0 && sx <= this.sizes.planW && sy <= this.sizes.planH;
      if (onPlan) this.zoomPlan(factor, sx, sy); else this.zoomPlan(factor);
    }
    // Brings a metre into both views (centred when outside).
    reveal(metre, centre) {
      const [m0, m1] = this.range;
      if (centre || metre < m0 || metre > m1) {
        const half = (m1 - m0) / 2;
        this.range = this.clampRange(metre - half, metre + half);
      }
      const p = this.scenario.pointAt(metre);
      if (p) {
        const [sx, sy] = this.planToScreen(p.x, p.y);
        const w = this.planCanvas.clientWidth, h = this.planCanvas.clientHeight;
        if (centre || sx < 20 || sy < 20 || sx > w - 20 || sy > h - 20) {
          this.planView.cx = p.x;
          this.planView.cy = p.y;
        }
      }
      this.redraw();
    }

    // ---- Drawing (at most once a frame) ----

    redraw() {
      if (this.frame) return;
      this.frame = requestAnimationFrame(() => {
        this.frame = 0;
        this.measure();
        this.drawPlan();
        this.drawRange();
        this.drawProfiles();
        const [m0, m1] = this.range;
        document.getElementById("range-text").textContent = fmtMetres(m0) + " \u2013 " + fmtMetres(m1);
      });
    }

    drawPlan() {
      const { g, w, h } = fitCanvas(this.planCanvas), s = this.scenario;
      g.clearRect(0, 0, w, h);
      if (!s.plan) return;
      const p = s.plan, v = this.planView;
      const [vx0, vy1] = this.screenToPlan(-20, -20), [vx1, vy0] = this.screenToPlan(w + 20, h + 20);
      const visible = (ch) => ch.x1 >= vx0 && ch.x0 <= vx1 && ch.y1 >= vy0 && ch.y0 <= vy1;
      // The track from metre fromM to metre toM, cut exactly there: the
      // kept points lie far apart on straight stretches.
      const path = (fromM, toM) => {
        g.beginPath();
        for (const ch of s.chunks) {
          if (!visible(ch) || p.m[ch.e] < fromM || p.m[ch.s] > toM) continue;
          let started = false;
          for (let i = ch.s; i < ch.e; i++) {
            const a = p.m[i], b = p.m[i + 1];
            if (b < fromM) continue;
            if (a > toM) break;
            const at = (m) => {
              const t = b === a ? 0 : (m - a) / (b - a);
              return this.planToScreen(p.x[i] + t * (p.x[i + 1] - p.x[i]), p.y[i] + t * (p.y[i + 1] - p.y[i]));
            };
            if (!started) { const [x, y] = at(Math.max(a, fromM)); g.moveTo(x, y); started = true; }
            const [x, y] = at(Math.min(b, toM)); g.lineTo(x, y);
          }
        }
      };
      // Mountains and tunnels under the track.
      g.lineCap = "round";
      for (const run of this.mountainRuns()) {
        path(this.scenario.metreOf(run.first), this.scenario.metreOf(run.last + 1));
        // Mountains as a green casing; tunnels as a grey one, so the track
        // itself stays readable over them.
        g.strokeStyle = run.tunnel ? "rgba(60,60,60,0.35)" : "rgba(102,187,106,0.5)";
        g.lineWidth = run.tunnel ? 8 : 12;
        g.stroke();
      }
      // The profiles' range, lightly.
      path(this.range[0], this.range[1]);
      g.strokeStyle = "rgba(21,101,192,0.25)"; g.lineWidth = 7; g.stroke();
      path(-Infinity, s.routeLength);
      g.strokeStyle = COLOURS.track; g.lineWidth = 2; g.stroke();
      // The run-out past the route's end, dimmed, and the end marked by a
      // bar across the track.
      path(s.routeLength, Infinity);
      g.setLineDash([5, 5]); g.strokeStyle = "rgba(144,164,174,0.55)"; g.lineWidth = 1.5; g.stroke(); g.setLineDash([]);
      this.drawRouteEnd(g);
      for (const o of s.objects) {
        if (o.type !== "slowdown") continue;
        path(o.from, o.to);
        g.strokeStyle = COLOURS.slowdown; g.lineWidth = 5; g.stroke();
      }
      // Objects, then their labels over them, thinned where they would
      // overlap one another.
      const labels = [], texts = [];
      const free = (box) => !labels.some((b) => b[0] < box[2] && box[0] < b[2] && b[1] < box[3] && box[1] < b[3]);
      g.font = "12px system-ui, sans-serif";
      const order = ["board", "sign", "signal", "slowdown", "station"];
      const shown = [];
      for (const type of order) {
        for (const o of s.objects) {
          if (o.type !== type) continue;
          const pt = s.pointAt(o.metre);
          const [x, y] = this.planToScreen(pt.x, pt.y);
          if (x < -30 || y < -30 || x > w + 30 || y > h + 30) continue;
          this.drawMarker(g, o, x, y, this.isSelected(o));
          if (type === "station" || (type === "sign" && v.scale > 0.2)) shown.push({ o, x, y });
        }
      }
      // Stations' labels before signs', the route's two end stations first;
      // each label right of its marker, else left, above or below.
      // No label covers a station's marker, which would read as its own.
      for (const { o, x, y } of shown) if (o.type === "station") labels.push([x - 9, y - 9, x + 9, y + 9]);
      const ends = this.endStations();
      const rank = ({ o }) => (o.type !== "station" ? 2 : ends.includes(o) ? 0 : 1);
      shown.sort((a, b) => rank(a) - rank(b));
      for (const { o, x, y } of shown) {
        const text = o.type === "station" ? o.name : o.name.replace(/^sign /, "");
        const tw = g.measureText(text).width;
        const places = [[x + 9, y - 16], [x - 13 - tw, y - 16], [x - tw / 2, y - 26], [x - tw / 2, y + 8]];
        for (const [bx, by] of places) {
          const box = [bx, by, bx + 4 + tw, by + 14];
          if (box[0] < 0 || box[2] > w || box[1] < 0 || box[3] > h || !free(box)) continue;
          labels.push(box);
          texts.push({ text, box, colour: o.type === "station" ? COLOURS.station : COLOURS.sign });
          break;
        }
      }
      this.planLabels = texts.map(({ text, box }) => ({ text, box }));
      for (const { text, box, colour } of texts) {
        g.fillStyle = "rgba(255,255,255,0.8)";
        g.fillRect(box[0] - 2, box[1], box[2] - box[0], box[3] - box[1] + 2);
        g.fillStyle = colour;
        g.fillText(text, box[0], box[3] - 3);
      }
      // Stations stay on top of the labels' backgrounds.
      for (const o of s.objects) {
        if (o.type !== "station") continue;
        const pt = s.pointAt(o.metre), [x, y] = this.planToScreen(pt.x, pt.y);
        if (x >= -30 && y >= -30 && x <= w + 30 && y <= h + 30) this.drawMarker(g, o, x, y, this.isSelected(o));
      }
      this.drawPlanCursor(g);
      this.drawScaleBar(g, w, h);
      this.drawNorth(g, w);
    }

    mountainRuns() {
      const s = this.scenario;
      if (s.mountainRuns) return s.mountainRuns;
      const c = s.data.cells, runs = [];
      let i = 0;
      while (i < s.cellCount) {
        if (!c.mountain[i]) { i++; continue; }
        const first = i;
        let tunnel = false;
        while (i < s.cellCount && c.mountain[i] === c.mountain[first]) { if (c.kind[i] === 11) tunnel = true; i++; }
        runs.push({ first, last: i - 1, type: c.mountain[first], tunnel });
      }
      s.mountainRuns = runs;
      return runs;
    }

    // The first and the last station along the route.
    endStations() {
      const stations = this.scenario.objects.filter((o) => o.type === "station");
      if (!stations.length) return [];
      const byMetre = stations.slice().sort((a, b) => a.metre - b.metre);
      return [byMetre[0], byMetre[byMetre.length - 1]];
    }

    // A bar across the track where the route ends.
    drawRouteEnd(g) {
      const s = this.scenario;
      const end = s.pointAt(s.routeLength), before = s.pointAt(s.routeLength - 50);
      const [x, y] = this.planToScreen(end.x, end.y), [bx, by] = this.planToScreen(before.x, before.y);
      const len = Math.hypot(x - bx, y - by) || 1, nx = -(y - by) / len, ny = (x - bx) / len;
      g.save();
      g.strokeStyle = COLOURS.track; g.lineWidth = 3; g.lineCap = "butt";
      g.beginPath(); g.moveTo(x - nx * 13, y - ny * 13); g.lineTo(x + nx * 13, y + ny * 13); g.stroke();
      g.restore();
    }

    drawMarker(g, o, x, y, selected) {
      g.save();
      g.lineWidth = 1.5;
      g.strokeStyle = "#fff";
      if (selected) {
        g.beginPath(); g.arc(x, y, 11, 0, 2 * Math.PI);
        g.strokeStyle = COLOURS.cursor; g.lineWidth = 3; g.stroke();
        g.strokeStyle = "#fff"; g.lineWidth = 1.5;
      }
      g.beginPath();
      switch (o.type) {
        case "station": g.fillStyle = COLOURS.station; g.arc(x, y, 6, 0, 2 * Math.PI); break;
        case "signal": g.fillStyle = COLOURS.signal; g.moveTo(x, y - 6); g.lineTo(x + 5, y + 4); g.lineTo(x - 5, y + 4); g.closePath(); break;
        case "board": g.fillStyle = COLOURS.board; g.rect(x - 4, y - 4, 8, 8); break;
        case "sign": g.fillStyle = COLOURS.sign; g.moveTo(x, y - 5); g.lineTo(x + 5, y); g.lineTo(x, y + 5); g.lineTo(x - 5, y); g.closePath(); break;
        case "slowdown": g.fillStyle = COLOURS.slowdown; g.arc(x, y, 4, 0, 2 * Math.PI); break;
      }
      g.fill(); g.stroke();
      g.restore();
    }

    drawPlanCursor(g) {
      if (this.cursor === null) return;
      const pt = this.scenario.pointAt(this.scenario.metreOf(this.cursor));
      if (!pt) return;
      const [x, y] = this.planToScreen(pt.x, pt.y);
      g.save();
      g.strokeStyle = COLOURS.cursor; g.lineWidth = 2;
      g.beginPath(); g.arc(x, y, 8, 0, 2 * Math.PI); g.stroke();
      g.beginPath(); g.moveTo(x - 14, y); g.lineTo(x - 4, y); g.moveTo(x + 4, y); g.lineTo(x + 14, y);
      g.moveTo(x, y - 14); g.lineTo(x, y - 4); g.moveTo(x, y + 4); g.lineTo(x, y + 14); g.stroke();
      g.restore();
    }

    drawScaleBar(g, w, h) {
      const metres = niceStep(140 / this.planView.scale);
      const px = metres * this.planView.scale;
      const x = 14, y = h - 16;
      g.save();
      g.fillStyle = "rgba(255,255,255,0.85)";
      g.fillRect(x - 6, y - 20, px + 70, 30);
      g.strokeStyle = "#222"; g.lineWidth = 2;
      g.beginPath(); g.moveTo(x, y - 5); g.lineTo(x, y); g.lineTo(x + px, y); g.lineTo(x + px, y - 5); g.stroke();
      g.fillStyle = "#222"; g.font = "12px system-ui, sans-serif";
      g.fillText(metres >= 1000 ? metres / 1000 + " km" : metres + " m", x + px + 6, y + 1);
      g.restore();
      this.scaleBarMetres = metres;
    }

    drawNorth(g, w) {
      g.save();
      g.fillStyle = "#546e7a"; g.font = "bold 12px system-ui, sans-serif";
      g.beginPath(); g.moveTo(w - 20, 10); g.lineTo(w - 14, 24); g.lineTo(w - 26, 24); g.closePath(); g.fill();
      g.fillText("N", w - 24, 37);
      g.restore();
    }

    drawRange() {
      const { g, w, h } = fitCanvas(this.rangeCanvas), s = this.scenario;
      const L = this.profileLayout();
      g.clearRect(0, 0, w, h);
      const toX = (m) => L.left + m / s.runOutEnd * L.plotW;
      // The whole route's speed profile, faintly, as the selector's track;
      // the run-out past its end lighter still.
      g.fillStyle = "#eceff1"; g.fillRect(L.left, 4, L.plotW, h - 8);
      g.fillStyle = "#f7f9fa"; g.fillRect(toX(s.routeLength), 4, L.plotW - (toX(s.routeLength) - L.left), h - 8);
      g.fillStyle = "#b0bec5";
      for (const o of s.objects) if (o.type === "station") g.fillRect(toX(o.metre) - 1, 4, 2, h - 8);
      const x0 = toX(this.range[0]), x1 = toX(this.range[1]);
      g.fillStyle = "rgba(21,101,192,0.25)"; g.fillRect(x0, 2, Math.max(x1 - x0, 3), h - 4);
      g.strokeStyle = "#1565c0"; g.lineWidth = 2; g.strokeRect(x0, 2, Math.max(x1 - x0, 3), h - 4);
      if (this.cursor !== null) {
        g.fillStyle = COLOURS.cursor; g.fillRect(toX(this.scenario.metreOf(this.cursor)) - 1, 0, 2, h);
      }
      g.fillStyle = "#546e7a"; g.font = "11px system-ui, sans-serif";
      g.fillText("range", 10, h / 2 + 4);
    }

    // The lanes of the profiles, top to bottom.
    lanes() {
      return [
        { id: "objects", title: "objects", height: 58 },
        { id: "speed", title: "speed km/h", height: 80, field: "speed", colour: COLOURS.speed },
        { id: "gradient", title: "gradient", height: 70, field: "gradient", colour: COLOURS.gradient, symmetric: true },
        { id: "adhesion", title: "adhesion", height: 50, field: "adhesion", colour: COLOURS.adhesion },
        { id: "mountains", title: "mountains", height: 26 },
        { id: "km", title: "km references", height: 22 },
      ];
    }

    drawProfiles() {
      const { g, w, h } = fitCanvas(this.profileCanvas), s = this.scenario, L = this.profileLayout();
      g.clearRect(0, 0, w, h);
      const [m0, m1] = this.range;
      const first = Math.max(0, this.scenario.cellOf(m0) - 1), last = Math.min(s.cellCount - 1, this.scenario.cellOf(m1) + 1);
      this.drawAxis(g, L);
      // Station areas and slowdowns as light bands through all lanes.
      g.save();
      g.beginPath(); g.rect(L.left, L.top, L.plotW, h - L.top); g.clip();
      for (const o of s.objects) {
        if (o.type !== "station" && o.type !== "slowdown") continue;
        if (o.to < m0 || o.from > m1) continue;
        g.fillStyle = o.type === "station" ? "rgba(31,78,156,0.08)" : "rgba(239,138,0,0.10)";
        const x0 = this.metreToX(o.from), x1 = this.metreToX(o.to);
        g.fillRect(x0, L.top, Math.max(x1 - x0, 2), h - L.top);
      }
      g.restore();
      let y = L.top + 4;
      this.laneTops = {};
      for (const lane of this.lanes()) {
        this.laneTops[lane.id] = [y, y + lane.height];
        g.fillStyle = "#546e7a"; g.font = "11px system-ui, sans-serif";
        g.fillText(lane.title, 8, y + lane.height / 2 + 4);
        g.strokeStyle = "#cfd8dc"; g.lineWidth = 1;
        g.strokeRect(L.left + 0.5, y + 0.5, L.plotW, lane.height);
        g.save();
        g.beginPath(); g.rect(L.left, y, L.plotW, lane.height); g.clip();
        let extent = null;
        if (lane.field) extent = this.drawValueLane(g, lane, y, first, last);
        else if (lane.id === "objects") this.drawObjectLane(g, y, lane.height);
        else if (lane.id === "mountains") this.drawMountainLane(g, y, lane.height, first, last);
        else if (lane.id === "km") this.drawKmLane(g, y, lane.height);
        g.restore();
        if (extent) this.drawLaneScale(g, lane, y, extent);
        y += lane.height + 6;
      }
      this.drawProfileRouteEnd(g, L, y - 6);
      if (this.cursor !== null) {
        const x = this.metreToX(this.scenario.metreOf(this.cursor));
        if (x >= L.left && x <= L.left + L.plotW) {
          g.strokeStyle = COLOURS.cursor; g.lineWidth = 1.5;
          g.beginPath(); g.moveTo(x, L.top); g.lineTo(x, y - 6); g.stroke();
        }
      }
    }

    // The route's end across the lanes, and the run-out past it veiled.
    drawProfileRouteEnd(g, L, bottom) {
      const x = this.metreToX(this.scenario.routeLength), right = L.left + L.plotW;
      if (x > right + 1) return;
      g.save();
      if (x < right) {
        // Below the objects lane: an end station's label may run past the end.
        const top = this.laneTops.objects[1];
        g.fillStyle = "rgba(245,247,248,0.75)";
        g.fillRect(Math.max(x, L.left), top, right - Math.max(x, L.left), bottom - top);
        g.fillStyle = "#78909c"; g.font = "italic 11px system-ui, sans-serif";
        const text = "run-out past the route's end";
        if (right - x > g.measureText(text).width + 12) g.fillText(text, Math.max(x, L.left) + 6, bottom - 6);
      }
      if (x >= L.left) {
        g.strokeStyle = COLOURS.track; g.lineWidth = 2;
        g.beginPath(); g.moveTo(x, L.top - 4); g.lineTo(x, bottom); g.stroke();
      }
      g.restore();
    }

    drawAxis(g, L) {
      const [m0, m1] = this.range;
      const step = niceStep((m1 - m0) / (L.plotW / 90)) || 1;
      g.fillStyle = "#37474f"; g.strokeStyle = "#90a4ae"; g.font = "11px system-ui, sans-serif";
      g.fillText("metres", 8, 14);
      for (let m = Math.ceil(m0 / step) * step; m <= m1; m += step) {
        const x = this.metreToX(m);
        g.beginPath(); g.moveTo(x, L.top - 4); g.lineTo(x, L.top + 2); g.stroke();
        const text = step >= 1000 ? m / 1000 + " km" : m + " m";
        g.fillText(text, x - g.measureText(text).width / 2, L.top - 7);
      }
    }

    drawValueLane(g, lane, top, first, last) {
      const c = this.scenario.column(lane.field);
      let [lo, hi] = this.scenario.extent(lane.field);
      if (lane.symmetric) { hi = Math.max(Math.abs(lo), Math.abs(hi), 1); lo = -hi; }
      else { lo = Math.min(lo, 0); hi = Math.max(hi, 1); }
      const Y = (v) => top + lane.height - 4 - (v - lo) / (hi - lo) * (lane.height - 8);
      if (lane.symmetric) {
        g.strokeStyle = "#b0bec5"; g.setLineDash([4, 3]);
        g.beginPath(); g.moveTo(0, Y(0)); g.lineTo(10000, Y(0)); g.stroke(); g.setLineDash([]);
      }
      g.strokeStyle = lane.colour; g.lineWidth = 1.5;
      g.beginPath();
      // A step per cell. Where cells are narrower than a pixel, each pixel
      // column draws the lowest and highest value of its cells, so no narrow
      // value is lost and the line has at most a few points per pixel.
      let column = null, cMin = 0, cMax = 0, cLast = 0;
      const flush = () => {
        if (column === null) return;
        g.lineTo(column, Y(cMin)); g.lineTo(column, Y(cMax)); g.lineTo(column, Y(cLast));
      };
      for (let i = first; i <= last; i++) {
        const v = c[i];
        const x0 = this.metreToX(this.scenario.metreOf(i)), x1 = this.metreToX(this.scenario.metreOf(i + 1));
        if (x1 - x0 >= 1) {
          flush(); column = null;
          if (i === first) g.moveTo(x0, Y(v)); else g.lineTo(x0, Y(v));
          g.lineTo(x1, Y(v));
          continue;
        }
        const col = Math.floor(x0);
        if (col !== column) {
          flush();
          if (i === first) g.moveTo(col, Y(v)); else g.lineTo(col, Y(v));
          column = col; cMin = cMax = v;
        }
        cMin = Math.min(cMin, v); cMax = Math.max(cMax, v); cLast = v;
      }
      flush();
      g.stroke();
      return [lo, hi];
    }

    // The lowest and highest value of a lane, left of it.
    drawLaneScale(g, lane, top, [lo, hi]) {
      const L = this.profileLayout();
      g.fillStyle = "#78909c"; g.font = "10px system-ui, sans-serif";
      g.fillText(String(hi), L.left - 4 - g.measureText(String(hi)).width, top + 10);
      g.fillText(String(lo), L.left - 4 - g.measureText(String(lo)).width, top + lane.height - 2);
    }

    drawObjectLane(g, top, height) {
      const rows = { station: top + 12, signal: top + 26, board: top + 38, sign: top + 38, slowdown: top + 50 };
      const [m0, m1] = this.range;
      const shown = [];
      const stationXs = this.scenario.objects.filter((o) => o.type === "station").map((o) => this.metreToX(o.metre));
      g.font = "11px system-ui, sans-serif";
      for (const type of ["slowdown", "board", "sign", "signal", "station"]) {
        for (const o of this.scenario.objects) {
          if (o.type !== type) continue;
          if ((o.to !== undefined ? o.to : o.metre) < m0 || (o.from !== undefined ? o.from : o.metre) > m1) continue;
          const x = this.metreToX(o.metre);
          if (type === "slowdown") {
            const x1 = this.metreToX(o.to);
            g.fillStyle = COLOURS.slowdown; g.fillRect(x, rows.slowdown - 3, Math.max(x1 - x, 3), 6);
          }
          this.drawMarker(g, o, x, rows[type], this.isSelected(o));
          if (type === "station") shown.push({ o, x });
        }
      }
      this.drawStationLabels(g, shown, stationXs, rows.station);
    }

    // Station labels in the objects lane: right of the marker, else left of
    // it, where they cover no other station and no label; the route's two
    // end stations first, and always, on a white ground if they must cover
    // a marker.
    drawStationLabels(g, shown, stationXs, row) {
      const L = this.profileLayout(), right = L.left + L.plotW, labels = [];
      this.laneLabels = [];
      const ends = this.endStations();
      const rank = ({ o }) => (ends.includes(o) ? 0 : 1);
      shown.sort((a, b) => rank(a) - rank(b));
      for (const { o, x } of shown) {
        const tw = g.measureText(o.name).width;
        const boxes = [[x + 8, x + 12 + tw], [x - 12 - tw, x - 8]].filter((b) => b[0] >= L.left && b[1] <= right);
        const clear = (b) => !labels.some((t) => t[0] < b[1] && b[0] < t[1]);
        const uncovered = (b) => !stationXs.some((sx) => sx !== x && sx + 7 > b[0] && sx - 7 < b[1]);
        let box = boxes.find((b) => clear(b) && uncovered(b));
        const ground = !box && ends.includes(o) && (box = boxes.find(clear)) !== undefined;
        if (!box) continue;
        labels.push(box);
        this.laneLabels.push({ text: o.name, box });
        if (ground) { g.fillStyle = "rgba(255,255,255,0.75)"; g.fillRect(box[0], row - 7, box[1] - box[0], 14); }
        g.fillStyle = COLOURS.station; g.fillText(o.name, box[0] + 1, row + 4);
      }
    }

    drawMountainLane(g, top, height, first, last) {
      for (const run of this.mountainRuns()) {
        if (run.last < first || run.first > last) continue;
        const x0 = this.metreToX(this.scenario.metreOf(run.first)), x1 = this.metreToX(this.scenario.metreOf(run.last + 1));
        const shade = Math.max(0.35, Math.min(1, 0.3 + run.type * 0.15));
        g.fillStyle = "rgba(76,175,80," + shade + ")";
        g.fillRect(x0, top + 3, Math.max(x1 - x0, 1), height - 12);
        if (run.tunnel) { g.fillStyle = COLOURS.tunnel; g.fillRect(x0, top + height - 8, Math.max(x1 - x0, 1), 5); }
      }
    }

    drawKmLane(g, top, height) {
      const refs = this.scenario.data.objects.kmReferences;
      g.font = "10px system-ui, sans-serif";
      if (!refs.length) { g.fillStyle = "#777"; g.fillText("none set", this.profileLayout().left + 4, top + 15); return; }
      for (const r of refs) {
        const x = this.metreToX(r.start);
        g.strokeStyle = COLOURS.kmref; g.beginPath(); g.moveTo(x, top + 2); g.lineTo(x, top + height - 2); g.stroke();
        g.fillStyle = COLOURS.kmref; g.fillText("km ref " + r.end, x + 3, top + 14);
      }
    }

    // ---- The cursor ----

    setCursor(cell, reveal) {
      const s = this.scenario;
      this.cursor = Math.max(0, Math.min(cell, s.cellCount - 1));
      if (reveal) this.reveal(this.scenario.metreOf(this.cursor), false);
      this.showCursor();
      this.redraw();
    }

    showCursor() {
      const box = document.getElementById("cursor-info");
      if (this.cursor === null) return;
      const s = this.scenario, i = this.cursor;
      box.className = "";
      box.replaceChildren();
      box.append(el("div", { class: "cursor-head", id: "cursor-metre" },
        fmtMetres(this.scenario.metreOf(i)) + "  \u00b7  cell " + i));
      const table = el("table", { class: "fields", id: "cursor-fields" });
      const shown = new Set();  // each part's writer is named once, on its first row
      for (const row of decodeCell(s, i)) {
        const part = FIELD_PART[row.field];
        const writer = shown.has(part) ? -1 : s.writerOf(i, row.field);
        shown.add(part);
        // The record that wrote the field, under its value.
        const tr = el("tr", { "data-field": row.field }, el("td", {}, row.label),
          el("td", {}, String(row.value), writer >= 0 ? el("div", { class: "by" }, "\u2190 ", this.recordLink(writer)) : null));
        table.append(tr);
      }
      box.append(table);
    }

    recordLink(id) {
      const r = this.scenario.records[id];
      return el("a", { class: "src", title: r.keyword, onclick: () => this.select("record:" + id) },
        baseName(r.file) + ":" + r.line);
    }

    // ---- Selection ----

    isSelected(o) { return this.selection === o.key; }

    select(key, moveTo) {
      this.selection = key;
      this.showSelection();
      const target = this.selectionMetre();
      if (moveTo !== false && target !== null) {
        this.cursor = Math.max(0, Math.min(this.scenario.cellOf(target), this.scenario.cellCount - 1));
        this.reveal(target, false);
        this.showCursor();
      }
      for (const li of document.querySelectorAll(".list li")) li.classList.toggle("selected", li.dataset.key === key);
      this.redraw();
    }

    selectionMetre() {
      const key = this.selection, s = this.scenario;
      if (!key) return null;
      const o = s.objects.find((x) => x.key === key);
      if (o) return o.metre;
      if (key.startsWith("record:")) {
        const r = s.records[+key.slice(7)];
        return r ? recordMetre(this.scenario, r) : null;
      }
      if (key.startsWith("diagnostic:")) {
        const d = s.data.diagnostics[+key.slice(11)];
        if (!d) return null;
        if (d.metre !== null) return d.metre;
        const r = s.records.find((x) => x.source === d.source && x.line === d.line);
        return r ? recordMetre(this.scenario, r) : null;
      }
      return null;
    }

    showSelection() {
      const box = document.getElementById("selection-info");
      const key = this.selection, s = this.scenario;
      if (!key) return;
      box.className = "";
      box.replaceChildren();
      const o = s.objects.find((x) => x.key === key);
      if (o) {
        box.append(el("div", { class: "cursor-head" }, o.name));
        const id = s.recordOf(o);
        if (id >= 0) this.showRecord(box, id);
        else box.append(el("div", { class: "muted" }, s.records.length ? "Placed by the compiler itself." : s.data.noRecords));
        if (o.cell !== undefined && o.cell >= 0 && o.cell < s.cellCount) {
          box.append(el("div", { class: "muted" }, "Stored in cell " + o.cell + ":"));
          const table = el("table", { class: "fields" });
          for (const row of decodeCell(s, o.cell).filter((r) => FIELD_PART[r.field] === 0)) {
            table.append(el("tr", {}, el("td", {}, row.label), el("td", {}, String(row.value))));
          }
          box.append(table);
        }
        return;
      }
      if (key.startsWith("record:")) { this.showRecord(box, +key.slice(7)); return; }
      if (key.startsWith("diagnostic:")) {
        const d = s.data.diagnostics[+key.slice(11)];
        box.append(el("div", { class: "cursor-head" }, el("span", { class: "sev-" + d.severity }, d.severity + " "), d.class));
        box.append(el("div", { id: "selection-location" }, location(d)));
        box.append(el("div", {}, d.message));
        if (d.metre !== null) box.append(el("div", { class: "muted" }, "at " + fmtMetres(d.metre)));
        this.appendSource(box, d.source, d.line, 1);
        // Each note with the line it points at, as the terminal lists them.
        d.notes.forEach((n) => {
          box.append(el("div", { class: "diagnostic-note" }, noteLine(n)));
          this.appendSource(box, n.source, n.line, 0, "selection-note-source");
        });
      }
    }

    showRecord(box, id) {
      const s = this.scenario, r = s.records[id];
      box.append(el("div", { id: "selection-location", class: "cursor-head" }, r.file + ":" + r.line));
      this.appendSource(box, r.source, r.line, 0);
      if (r.fields.length) {
        const table = el("table", { class: "fields", id: "selection-fields" });
        table.append(el("tr", {}, el("td", {}, "keyword"), el("td", {}, r.keyword)));
        // The fields as the compiler read them; one read from a later line says where.
        for (const f of r.fields) {
          const where = f.line === r.line ? "" : "  (line " + f.line + ")";
          table.append(el("tr", {}, el("td", {}, f.name), el("td", {}, f.value + where)));
        }
        box.append(table);
      }
      if (r.writes.length) {
        box.append(el("div", { class: "muted" }, "Cells it wrote:"));
        const list = el("ul", { class: "list", id: "selection-writes" });
        for (const [part, first, last] of r.writes) {
          const text = PARTS[part] + ": " + (first === last ? "cell " + first : "cells " + first + "\u2013" + last) +
            " (" + fmtMetres(this.scenario.metreOf(first)) + (first === last ? "" : " \u2013 " + fmtMetres(this.scenario.metreOf(last))) + ")";
          list.append(el("li", { onclick: () => this.setCursor(first, true) }, text));
        }
        box.append(list);
      }
    }

    appendSource(box, source, line, context, id = "selection-source") {
      const s = this.scenario;
      if (source < 0 || !line) return;
      const pre = el("div", { class: "source-line", id });
      for (let n = Math.max(1, line - context); n <= line + context; n++) {
        const text = s.sourceLine(source, n);
        if (text === null) continue;
        const row = el("div", {}, el("span", { class: "no" }, String(n).padStart(4) + "  "), text);
        if (n === line && context) row.style.fontWeight = "bold";
        pre.append(row);
      }
      box.append(pre);
    }

    // ---- Lists ----

    buildLists() {
      const box = document.getElementById("object-lists");
      const open = new Set([...box.querySelectorAll("details[open]")].map((d) => d.dataset.type));
      box.replaceChildren();
      const groups = [["station", "Stations"], ["signal", "Signals"], ["slowdown", "Slowdowns"],
                      ["board", "Maximum-speed boards"], ["sign", "Signs"]];
      for (const [type, title] of groups) {
        const items = this.scenario.objects.filter((o) => o.type === type).sort((a, b) => a.metre - b.metre);
        const details = el("details", { class: "objects", "data-type": type },
          el("summary", {}, el("span", { class: "key", style: "background:" + COLOURS[type === "board" ? "board" : type] }),
            title + " (" + items.length + ")"));
        if (open.has(type) || (!open.size && type === "station")) details.open = true;
        const ul = el("ul", { class: "list" });
        for (const o of items) {
          const label = type === "station" ? o.name + " \u2013 " + fmtMetres(o.metre) : o.name;
          ul.append(el("li", { "data-key": o.key, class: this.selection === o.key ? "selected" : "",
                               onclick: () => this.select(o.key) }, label));
        }
        details.append(ul);
        box.append(details);
      }
    }

    buildDiagnostics() {
      const list = document.getElementById("diagnostics"), d = this.scenario.data.diagnostics;
      document.getElementById("diagnostics-count").textContent = "(" + d.length + ")";
      list.replaceChildren();
      if (!d.length) { list.append(el("li", { class: "muted" }, "None: every check passed.")); return; }
      d.forEach((x, n) => {
        const key = "diagnostic:" + n;
        list.append(el("li", { "data-key": key, class: this.selection === key ? "selected" : "", onclick: () => this.select(key) },
          el("span", { class: "sev-" + x.severity }, x.severity), " ", location(x) ? location(x) + ": " : "", x.class ? x.class + ": " : "", x.message,
          ...x.notes.map((n) => el("div", { class: "diagnostic-note" }, noteLine(n)))));
      });
    }

    // ---- Search ----

    search(text) {
      const s = this.scenario, out = document.getElementById("search-result");
      const q = text.trim();
      if (!q) { out.textContent = ""; return false; }
      const number = q.replace(/\s/g, "").replace(",", ".").match(/^(km)?(-?\d+(?:\.\d+)?)(km|m)?$/i);
      let metre = null, what = "";
      if (number) {
        const v = parseFloat(number[2]);
        const km = number[1] || (number[3] && number[3].toLowerCase() === "km");
        metre = km ? v * 1000 : v;
        what = fmtMetres(metre);
      } else {
        const lower = q.toLowerCase();
        const stations = s.objects.filter((o) => o.type === "station");
        const hit = stations.find((o) => o.name.toLowerCase() === lower) ||
                    stations.find((o) => o.name.toLowerCase().startsWith(lower)) ||
                    stations.find((o) => o.name.toLowerCase().includes(lower)) ||
                    s.objects.find((o) => o.name.toLowerCase().includes(lower));
        if (hit) {
          this.select(hit.key, false);
          metre = hit.metre;
          what = hit.name;
        }
      }
      if (metre === null) { out.textContent = "not found"; return false; }
      metre = Math.max(0, Math.min(metre, this.scenario.metreOf(s.cellCount - 1)));
      this.cursor = this.scenario.cellOf(metre);
      this.reveal(metre, true);
      this.showCursor();
      out.textContent = "\u2192 " + what;
      return true;
    }

    // ---- Input ----

    bind() {
      const plan = this.planCanvas, prof = this.profileCanvas, range = this.rangeCanvas;
      let drag = null;
      const pos = (e, c) => { const r = c.getBoundingClientRect(); return [e.clientX - r.left, e.clientY - r.top]; };

      plan.addEventListener("mousedown", (e) => {
        const [x, y] = pos(e, plan);
        drag = { canvas: "plan", x, y, cx: this.planView.cx, cy: this.planView.cy, moved: false };
        plan.classList.add("dragging");
      });
      prof.addEventListener("mousedown", (e) => {
        const [x] = pos(e, prof);
        drag = { canvas: "profiles", x, range: this.range.slice(), moved: false };
        prof.classList.add("dragging");
      });
      range.addEventListener("mousedown", (e) => {
        const [x] = pos(e, range);
        drag = { canvas: "range", x, range: this.range.slice(), moved: false };
        const L = this.profileLayout(), total = this.scenario.routeLength;
        const m = (x - L.left) / L.plotW * total;
        const x0 = L.left + this.range[0] / total * L.plotW, x1 = L.left + this.range[1] / total * L.plotW;
        if (Math.abs(x - x0) < 6) drag.edge = 0;
        else if (Math.abs(x - x1) < 6) drag.edge = 1;
        else if (m < this.range[0] || m > this.range[1]) {
          const half = (this.range[1] - this.range[0]) / 2;
          this.range = this.clampRange(m - half, m + half);
          drag.range = this.range.slice();
          this.redraw();
        }
      });
      window.addEventListener("mousemove", (e) => {
        if (drag) {
          const c = drag.canvas === "plan" ? plan : drag.canvas === "profiles" ? prof : range;
          const [x, y] = pos(e, c);
          if (Math.abs(x - drag.x) + Math.abs((y || 0) - (drag.y || 0)) > 3) drag.moved = true;
          if (drag.canvas === "plan") {
            this.planView.cx = drag.cx - (x - drag.x) / this.planView.scale;
            this.planView.cy = drag.cy + (y - drag.y) / this.planView.scale;
          } else if (drag.canvas === "profiles") {
            const L = this.profileLayout(), per = (drag.range[1] - drag.range[0]) / L.plotW;
            this.range = this.clampRange(drag.range[0] - (x - drag.x) * per, drag.range[1] - (x - drag.x) * per);
          } else {
            const L = this.profileLayout(), per = this.scenario.routeLength / L.plotW, dm = (x - drag.x) * per;
            if (drag.edge === 0) this.range = this.clampRange(Math.min(drag.range[0] + dm, drag.range[1] - 2 * this.scenario.cellMetres), drag.range[1]);
            else if (drag.edge === 1) this.range = this.clampRange(drag.range[0], Math.max(drag.range[1] + dm, drag.range[0] + 2 * this.scenario.cellMetres));
            else this.range = this.clampRange(drag.range[0] + dm, drag.range[1] + dm);
          }
          this.redraw();
          return;
        }
        if (e.target === plan) this.hoverPlan(...pos(e, plan));
        else if (e.target === prof) this.hoverProfiles(...pos(e, prof));
      });
      window.addEventListener("mouseup", (e) => {
        if (!drag) return;
        const d = drag;
        drag = null;
        plan.classList.remove("dragging");
        prof.classList.remove("dragging");
        if (d.moved) return;
        if (d.canvas === "plan") this.clickPlan(...pos(e, plan));
        else if (d.canvas === "profiles") this.clickProfiles(...pos(e, prof));
      });
      plan.addEventListener("wheel", (e) => {
        e.preventDefault();
        const [x, y] = pos(e, plan);
        this.zoomPlan(Math.pow(1.0015, e.deltaY), x, y);
      }, { passive: false });
      prof.addEventListener("wheel", (e) => {
        e.preventDefault();
        const [x] = pos(e, prof);
        this.zoomProfiles(Math.pow(1.0015, e.deltaY), this.xToMetre(x));
      }, { passive: false });
      document.getElementById("zoom-in").addEventListener("click", () => this.zoom(0.5));
      document.getElementById("zoom-out").addEventListener("click", () => this.zoom(2));
      document.getElementById("fit").addEventListener("click", () => this.fit());
      const search = document.getElementById("search");
      search.addEventListener("keydown", (e) => {
        if (e.key === "Enter") { this.search(search.value); e.preventDefault(); }
        if (e.key === "Escape") search.blur();
      });
      search.addEventListener("change", () => this.search(search.value));
      window.addEventListener("keydown", (e) => {
        if (e.target === search || e.ctrlKey || e.metaKey || e.altKey) return;
        const step = e.shiftKey ? 20 : 1;
        if (e.key === "ArrowRight") this.setCursor((this.cursor === null ? this.scenario.cellOf(this.range[0]) : this.cursor) + step, true);
        else if (e.key === "ArrowLeft") this.setCursor((this.cursor === null ? this.scenario.cellOf(this.range[0]) : this.cursor) - step, true);
        else if (e.key === "f") this.fit();
        else if (e.key === "/") search.focus();
        else if (e.key === "+" || e.key === "=") this.zoom(0.5);
        else if (e.key === "-") this.zoom(2);
        else return;
        e.preventDefault();
      });
      window.addEventListener("resize", () => { this.measure(); this.redraw(); });
    }

    hoverPlan(x, y) {
      const s = this.scenario;
      if (!s.plan) return;
      const [px, py] = this.screenToPlan(x, y);
      const near = s.nearestMetre(px, py);
      if (near.distance * this.planView.scale > 40) return;
      this.setCursor(this.scenario.cellOf(near.metre), false);
    }
    hoverProfiles(x) {
      const L = this.profileLayout();
      if (x < L.left || x > L.left + L.plotW) return;
      this.setCursor(this.scenario.cellOf(this.xToMetre(x)), false);
    }
    // The object whose marker is within a few pixels, nearest first.
    pickNear(points) {
      let best = null, bestD = 10;
      for (const [o, d] of points) if (d < bestD) { best = o; bestD = d; }
      return best;
    }
    clickPlan(x, y) {
      const s = this.scenario;
      if (!s.plan) return;
      const hit = this.pickNear(s.objects.map((o) => {
        const p = s.pointAt(o.metre), [sx, sy] = this.planToScreen(p.x, p.y);
        return [o, Math.hypot(sx - x, sy - y)];
      }));
      if (hit) this.select(hit.key);
    }
    clickProfiles(x, y) {
      const s = this.scenario, [top, bottom] = this.laneTops.objects;
      if (y < top || y > bottom) return;
      const hit = this.pickNear(s.objects.map((o) => [o, Math.abs(this.metreToX(o.metre) - x)]));
      if (hit) this.select(hit.key);
    }
  }

  function baseName(path) { return path.split(/[\\/]/).pop(); }
  function location(d) {
    let text = baseName(d.file || "");
    if (d.line) text += ":" + d.line;
    if (d.line && d.column) text += ":" + d.column;
    return text;
  }
  // A diagnostic's note: "note: FILE:LINE:COLUMN: TEXT".
  function noteLine(n) {
    return el("span", {}, el("span", { class: "sev-note" }, "note"), " " + (location(n) ? location(n) + ": " : "") + n.message);
  }
  // Where a record acts on the route: its first object, else its first cell.
  function recordMetre(scenario, r) {
    const object = r.writes.find((w) => w[0] === 0) || r.writes[0];
    return object ? scenario.metreOf(object[1]) : null;
  }

  const view = new View();
  window.scenarioView = {
    setData: (data) => view.setData(data),
    // For tests and tools: where things are on screen.
    range: () => view.range.slice(),
    cursorCell: () => view.cursor,
    metreToProfileX: (m) => view.metreToX(m),
    objectLaneY: () => (view.laneTops.objects[0] + view.laneTops.objects[1]) / 2,
    planPointOf: (m) => { const p = view.scenario.pointAt(m); return p ? view.planToScreen(p.x, p.y) : null; },
    scaleBarMetres: () => view.scaleBarMetres,
    // The labels drawn, each with its text and box ([x0, y0, x1, y1] on the
    // plan, [x0, x1] in the objects lane).
    planLabels: () => view.planLabels || [],
    laneLabels: () => view.laneLabels || [],
    routeLength: () => view.scenario.routeLength,
    runOutEnd: () => view.scenario.runOutEnd,
    view,
  };
  const started = performance.now();
  view.setData(JSON.parse(document.getElementById("scenario-data").textContent));
  requestAnimationFrame(() => {
    window.scenarioView.firstPaintMs = performance.now() - started;
    document.body.dataset.ready = "1";
  });
})();
