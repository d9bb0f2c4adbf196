// The map page. The viewer drives it with one-line commands (cplist.…, orbitgrplist.…) and it
// asks the viewer for its data through the host object `sample`. Host calls answer
// asynchronously, so every command and every pass of the one-second loop runs in one queue,
// in the order it arrived: the effects come in the order the viewer sent them.
'use strict';

const kSegmentBreak = 0.001385; // degrees: a jump longer than this breaks the line
const kDriven = '#0000FF';
const kAhead = '#FF0000';

const g_iconurl = [
  'icons/gsensor.svg', 'icons/gsensor.svg', 'icons/gsensor.svg', 'icons/gsensor.svg',
  'icons/gsensor.svg', 'icons/userpoint.svg', 'icons/emergency.svg', 'icons/parking.svg',
  'icons/speeding.svg', 'icons/camera.svg', 'icons/radar.svg', 'icons/assist-steer.svg',
  'icons/assist-accel.svg', 'icons/assist-brake.svg',
];
const g_shadow = 'icons/shadow.svg';
const g_position = 'icons/position.svg';

let g_lastJpgNum = -1;
let g_isStartInitConnect = false;
let g_isInitConnect = false;
let g_isInit = false;
let g_map = null;
let g_script = null;
let g_marker = null;
let g_tiles = null;
let g_connected = false;
let g_newlat = 0;
let g_newlng = 0;

let sample = null;
let g_queue = Promise.resolve();

// Once the map exists a failing script must not stop the page.
function swallow(error) {
  if (!g_isInitConnect)
    console.error(error && error.stack ? error.stack : String(error));
}

function serial(work) {
  const done = g_queue.then(work);
  g_queue = done.catch(swallow);
  return g_queue;
}

function host(name, ...args) {
  return new Promise((resolve) => {
    if (!sample || typeof sample[name] !== 'function') {
      resolve(null);
      return;
    }
    sample[name](...args, resolve);
  });
}

// The host's value array: base64 text of its doubles, or a plain array of numbers.
function valuesOf(data) {
  if (typeof data === 'string') {
    const text = atob(data);
    const bytes = new Uint8Array(text.length - text.length % 8);
    for (let i = 0; i < bytes.length; ++i)
      bytes[i] = text.charCodeAt(i);
    return new Float64Array(bytes.buffer);
  }
  return Array.isArray(data) ? Float64Array.from(data, Number) : null;
}

// Where the map's projection puts a point at zoom 0 (the world is one unit square): at zoom z a
// point lies at these times 256 * 2^z pixels, so a line is projected once, not at every zoom.
const kMaxLatitude = 85.0511287798;
function worldX(lng) { return lng / 360 + 0.5; }
function worldY(lat) {
  const s = Math.sin(Math.max(-kMaxLatitude, Math.min(kMaxLatitude, lat)) * Math.PI / 180);
  return 0.5 - Math.log((1 + s) / (1 - s)) / (4 * Math.PI);
}

// The lines of one pane, drawn on its canvas in one pass straight from their lists' projected
// coordinates. A track broken at every jump of the fix can have thousands of segments of tens
// of thousands of points; as one map layer each, adding and removing them would cost far more
// than drawing them. Made once the map library is there.
let TrackLayer = null;
function makeTrackLayer() {
  return L.Path.extend({
    initialize(options) {
      L.setOptions(this, options);
      this._lines = new Set();
    },

    addLine(line) {
      this._lines.add(line);
      this._changed();
    },

    removeLine(line) {
      if (this._lines.delete(line))
        this._changed();
    },

    _changed() {
      if (this._map && this._renderer && !this._renderer._redrawRequest)
        this._renderer._requestRedraw(this);
    },

    _project() {
      const map = this._map;
      this._scale = map.options.crs.scale(map.getZoom());
      const origin = map.getPixelOrigin();
      this._ox = origin.x;
      this._oy = origin.y;
      this._pxBounds = this._renderer._bounds;
    },

    _update() {
      if (!this._map)
        return;
      this._pxBounds = this._renderer._bounds;
      this._updatePath();
    },

    // Lines of one style in a row are stroked together.
    _updatePath() {
      const renderer = this._renderer;
      if (!renderer._drawing)
        return;
      const ctx = renderer._ctx;
      let style = null;
      for (const line of this._lines) {
        if (style && (style.color !== line.options.color ||
                      style.opacity !== line.options.opacity ||
                      style.weight !== line.options.weight)) {
          renderer._fillStroke(ctx, { options: style });
          style = null;
        }
        if (!style) {
          style = { stroke: true, color: line.options.color, opacity: line.options.opacity,
                    weight: line.options.weight, lineCap: 'round', lineJoin: 'round' };
          ctx.beginPath();
        }
        this._trace(ctx, line);
      }
      if (style)
        renderer._fillStroke(ctx, { options: style });
    },

    // Only what meets the canvas is traced, and a point less than a pixel from the last one
    // traced is left out.
    _trace(ctx, line) {
      if (line.end - line.start < 2)
        return;
      const b = this._renderer._bounds, pad = line.options.weight + 1;
      const x0 = b.min.x - pad, y0 = b.min.y - pad, x1 = b.max.x + pad, y1 = b.max.y + pad;
      const s = this._scale, ox = this._ox, oy = this._oy, wx = line.wx, wy = line.wy;
      const outside = (x, y) => (x < x0 ? 1 : x > x1 ? 2 : 0) | (y < y0 ? 4 : y > y1 ? 8 : 0);
      let px = wx[line.start] * s - ox, py = wy[line.start] * s - oy, pc = outside(px, py);
      let open = false, lx = 0, ly = 0, skipped = false;
      for (let i = line.start + 1; i < line.end; ++i) {
        const x = wx[i] * s - ox, y = wy[i] * s - oy, c = outside(x, y);
        if ((pc & c) === 0) {
          if (!open) {
            ctx.moveTo(px, py);
            lx = px;
            ly = py;
            open = true;
          }
          if ((x - lx) * (x - lx) + (y - ly) * (y - ly) >= 1 || c !== 0) {
            ctx.lineTo(x, y);
            lx = x;
            ly = y;
            skipped = false;
          } else {
            skipped = true;
          }
        } else if (open) {
          if (skipped)
            ctx.lineTo(px, py);
          open = false;
          skipped = false;
        }
        px = x;
        py = y;
        pc = c;
      }
      if (open && skipped)
        ctx.lineTo(px, py);
    },

    _containsPoint() { return false; },
  });
}

// One unbroken line: points start to end (exclusive) of a point list, drawn by the track layer
// of its pane until it is removed.
class TrackLine {
  constructor(layer, list, start, end, options) {
    this.options = options;
    this.points = list.points;
    this.wx = list.wx;
    this.wy = list.wy;
    this.start = start;
    this.end = end;
    this._layer = layer;
    layer.addLine(this);
  }

  getLatLngs() { return this.points.slice(this.start, this.end); }

  remove() {
    this._layer.removeLine(this);
    return this;
  }
}

let g_trackLayers = null;

class PointList {
  constructor() { this.ReleasePoints(); }

  GetPoints(GridData) {
    if (!g_isInitConnect)
      return;
    const values = valuesOf(GridData);
    if (!values || values.length <= 1)
      return;
    const count = Math.floor(values.length / 3);
    const first = this.points.length;
    const wx = new Float64Array(first + count), wy = new Float64Array(first + count);
    wx.set(this.wx);
    wy.set(this.wy);
    for (let n = 0, i = 0; n < count; ++n, i += 3) {
      this.points.push(L.latLng(values[i], values[i + 1]));
      this.JpgNumList.push(values[i + 2]);
      wx[first + n] = worldX(values[i + 1]);
      wy[first + n] = worldY(values[i]);
    }
    this.wx = wx;
    this.wy = wy;
  }

  ReleasePoints() {
    this.points = [];
    this.JpgNumList = [];
    this.wx = new Float64Array(0);
    this.wy = new Float64Array(0);
  }

  DrawGridLine(start, end, color, opacity, index) {
    if (!g_isInitConnect || !g_map)
      return null;
    start = Math.max(0, start);
    end = Math.min(end, this.points.length);
    if (end <= start)
      return null;
    const layer = index >= 2 ? g_trackLayers.driven : g_trackLayers.track;
    return new TrackLine(layer, this, start, end, { color: color, opacity: opacity, weight: 3 });
  }
}

class OrbitGrp {
  constructor(start, end) { this.start = start; this.end = end; }
}

class OrbitGrpList {
  constructor() {
    this.orbitlist = [];
    this.grpline = [];
    this.histline = [];
    this.schline = [];
    this.grplist = new PointList();
    this.gridlist = new PointList();
  }

  GetOrbitGroup(list) {
    if (!g_isInitConnect || list.length === 0)
      return;
    this.orbitlist = [];
    let start = 0;
    for (let i = 1; i < list.length; ++i) {
      const dlat = list[i].lat - list[i - 1].lat;
      const dlng = (list[i].lng - list[i - 1].lng) * Math.cos(list[i].lat * Math.PI / 180);
      if (Math.sqrt(dlat * dlat + dlng * dlng) > kSegmentBreak) {
        this.orbitlist.push(new OrbitGrp(start, i - 1));
        start = i;
      }
    }
    this.orbitlist.push(new OrbitGrp(start, list.length - 1));
  }

  removeLines() {
    if (!g_isInitConnect)
      return;
    for (const line of this.histline) line.remove();
    for (const line of this.schline) line.remove();
    this.histline = [];
    this.schline = [];
  }

  async getIndex() {
    const frame = Number(await host('JS2C_GetRelJpgNum'));
    if (frame === -1 || Number.isNaN(frame))
      return -1;
    g_lastJpgNum = frame;
    const list = this.gridlist.JpgNumList;
    let index = list.findIndex((n) => n >= frame);
    if (index < 0)
      index = list.length;
    if (index > 0)
      index = Math.min(index - 1, list.length - 1);
    return index;
  }

  async moveMarker() {
    if (!g_isInitConnect)
      return;
    const index = await this.getIndex();
    if (index < 0)
      return;
    this.removeLines();
    const grid = this.gridlist;
    const keep = (line, into) => { if (line) into.push(line); };
    for (const seg of this.orbitlist) {
      if (seg.end <= index) {
        keep(grid.DrawGridLine(seg.start, seg.end + 1, kDriven, 1.0, 2), this.histline);
      } else if (seg.start < index) {
        keep(grid.DrawGridLine(seg.start, index + 1, kDriven, 1.0, 2), this.histline);
        keep(grid.DrawGridLine(index, seg.end + 1, kAhead, 0.9, 2), this.schline);
      } else {
        keep(grid.DrawGridLine(seg.start, seg.end + 1, kAhead, 0.9, 2), this.schline);
      }
    }
    const position = index < grid.points.length ? grid.points[index]
                                                 : L.latLng(g_newlat, g_newlng);
    loadMarker(position, null);
  }

  async createLine() {
    if (!g_isInitConnect)
      return;
    g_lastJpgNum = -1;
    this.grplist.ReleasePoints();
    if (!g_script)
      return;
    const data = await host('JS2C_GetGPSData');
    if (data === null || data === undefined)
      return;
    this.grplist.GetPoints(data);
    this.GetOrbitGroup(this.grplist.points);
    for (const line of this.grpline) line.remove();
    this.grpline = [];
    for (const seg of this.orbitlist) {
      const line = this.grplist.DrawGridLine(seg.start, seg.end + 1, kAhead, 0.5, 1);
      if (line)
        this.grpline.push(line);
    }
  }

  async createGridLine() {
    if (!g_isInitConnect)
      return;
    g_lastJpgNum = -1;
    this.gridlist.ReleasePoints();
    if (!g_script)
      return;
    const data = await host('JS2C_GetGridData', '0');
    if (data === null || data === undefined)
      return;
    this.gridlist.GetPoints(data);
    this.GetOrbitGroup(this.gridlist.points);
    await this.moveMarker();
  }

  // The commands of the viewer.
  RemoveLineList() { return serial(() => this.removeLines()); }
  MoveMarker() { return serial(() => this.moveMarker()); }
  CreateLine() { return serial(() => this.createLine()); }
  CreateGridLine(iGrid) { return serial(() => this.createGridLine(iGrid)); }
}

class CrashPoint {
  constructor(marker, args) {
    this.marker = marker;
    Object.assign(this, args);
  }
}

class CpList {
  constructor() { this.markers = []; }

  ClearCrashPos() {
    return serial(() => {
      for (const cp of this.markers) cp.marker.remove();
      this.markers = [];
    });
  }

  AddCrashPos(icolor, levelx, levely, levelz, ifile, igrid, ipos, lat, lng, valid, speed,
              direction) {
    return serial(() => {
      if (!g_isInitConnect)
        return;
      const marker = CreateCPMarker(L.latLng(lat, lng), icolor, levelx, levely, levelz);
      if (!marker)
        return;
      marker.on('click', () => {
        this.SetCrashPos(this.markers.findIndex((cp) => cp.marker === marker));
      });
      this.markers.push(new CrashPoint(marker, {
        lat, lng, valid, speed, direction, levelx, levely, levelz, ifile, igrid, ipos,
      }));
    });
  }

  SetCrashPos(i) {
    return serial(async () => {
      const cp = this.markers[i];
      if (!cp)
        return;
      await host('JS2C_OnClickCrashPoint', cp.ifile, cp.igrid, cp.ipos, cp.valid, cp.lat,
                  cp.lng, cp.speed, cp.direction);
      if (cp.lat >= 0 && cp.lng >= 0 && await ConnectTest())
        await orbitgrplist.moveMarker();
    });
  }
}

const orbitgrplist = new OrbitGrpList();
const cplist = new CpList();

function CreateCPMarker(latlng, icolor, levelx, levely, levelz) {
  if (!g_isInitConnect || !Number.isInteger(icolor) || !g_iconurl[icolor])
    return null;
  const icon = L.icon({
    iconUrl: g_iconurl[icolor], iconSize: [32, 32], iconAnchor: [16, 32],
    shadowUrl: g_shadow, shadowSize: [49, 32], shadowAnchor: [16, 32],
  });
  return L.marker(latlng, { icon: icon, keyboard: false }).addTo(g_map);
}

function loadMarker(position, icon) {
  g_map.panTo(position, { animate: false });
  if (g_marker)
    g_marker.remove();
  const pin = icon || L.icon({ iconUrl: g_position, iconSize: [24, 36], iconAnchor: [12, 36] });
  g_marker = L.marker(position, { icon: pin, interactive: false, keyboard: false,
                                  zIndexOffset: 1000 }).addTo(g_map);
}

// The tile layer is on the map only while the tile server answers; without it the lines,
// icons and marker stay on the plain background with a note.
function applyConnection(connected) {
  g_connected = connected;
  if (!g_map)
    return;
  if (connected && g_tiles && !g_map.hasLayer(g_tiles))
    g_tiles.addTo(g_map);
  else if (!connected && g_tiles && g_map.hasLayer(g_tiles))
    g_tiles.remove();
  document.getElementById('offline_note').hidden = connected;
}

async function loadLibs() {
  const layer = (await host('JS2C_GetTileLayer')) || {};
  g_map = L.map('map_canvas', {
    center: [0.0, 0.0], zoom: 16, preferCanvas: true, zoomControl: true,
    attributionControl: true, fadeAnimation: false, zoomAnimation: false,
  });
  g_map.attributionControl.setPrefix(false);
  g_map.createPane('track').style.zIndex = 410;
  g_map.createPane('driven').style.zIndex = 420;
  TrackLayer = makeTrackLayer();
  g_trackLayers = {
    track: new TrackLayer({ pane: 'track', interactive: false }).addTo(g_map),
    driven: new TrackLayer({ pane: 'driven', interactive: false }).addTo(g_map),
  };
  L.control.scale({ imperial: false }).addTo(g_map);
  if (layer.url) {
    g_tiles = L.tileLayer(layer.url, { attribution: layer.attribution || '', maxZoom: 19,
                                       crossOrigin: false });
  }
  window.onerror = () => true;
  window.addEventListener('unhandledrejection', (e) => e.preventDefault());
  g_isInitConnect = true;
  loadMarker(L.latLng(0.0, 0.0), null);
  applyConnection(g_connected);
  await host('JS2C_OnInitHtml');
}

// True once the map exists. The map library is part of the program and is loaded on the
// first pass whatever the connection; the connection decides only about the tiles.
async function ConnectTest() {
  const connected = !!(await host('JS2C_ConnectTest'));
  if (!g_isInitConnect && !g_isStartInitConnect) {
    if (g_script)
      g_script.remove();
    g_script = document.createElement('script');
    g_script.type = 'text/javascript';
    g_script.onload = () => { loadLibs().catch(swallow); };
    g_script.src = await host('JS2C_GetMapURL');
    document.body.appendChild(g_script);
    g_isStartInitConnect = true;
  }
  applyConnection(connected);
  return g_isInitConnect;
}

function readField(id) {
  const value = Number(document.getElementById(id).value);
  return Number.isFinite(value) ? value : 0;
}

async function pass() {
  g_newlat = readField('map_lat');
  g_newlng = readField('map_lng');
  if (g_newlat < 1000.0 && g_newlng < 1000.0) {
    if (await ConnectTest()) {
      const status = document.getElementById('map_status').value.toLowerCase();
      if (status !== 'pause' && status !== 'stop' &&
          (g_newlat !== 0 || g_newlng !== 0 || g_lastJpgNum === -1)) {
        await orbitgrplist.moveMarker();
      }
    }
  } else if (!g_isInit) {
    await ConnectTest();
    g_isInit = true;
  }
  await host('JS2C_SetSend');
}

function show() {
  serial(pass).then(() => setTimeout(show, 1000));
}

function onMessage(event) {
  const data = event.data;
  if (!data || data.val_command !== 'update')
    return;
  for (const id of ['map_lat', 'map_lng', 'map_status']) {
    if (typeof data[id] === 'string')
      document.getElementById(id).value = data[id];
  }
}

function initialize() {
  g_lastJpgNum = -1;
  window.addEventListener('message', onMessage);
  new QWebChannel(qt.webChannelTransport, (channel) => {
    sample = channel.objects.sample;
    const webview = channel.objects.webview;
    window.chrome = window.chrome || {};
    window.chrome.webview = {
      addEventListener: (type, listener) => window.addEventListener(type, listener),
      postMessage: (text) => webview && webview.postMessage(String(text)),
    };
    show();
  });
}
