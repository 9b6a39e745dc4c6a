// The page: navigation, the token, the event stream and the views.
import { attachTitleBar } from './host-bridge.js';
import { takeTokenFromAddress, api } from './api.js';
import { EventStream } from './events.js';
import { attempt } from './dom.js';
import { state, changed, subscribe, addToFeed, markPath } from './state.js';
import { createOverviewView } from './views/overview.js';
import { createScanView, startScan, recentPaths, refreshProgress } from './views/scan.js';
import { createThreatsView, refreshThreats } from './views/threats.js';
import { createQuarantineView, refreshQuarantine } from './views/quarantine.js';
import { createProtectionView, refreshProtection } from './views/protection.js';
import { createTrustView, refreshTrust } from './views/trust.js';

const VIEW_KEY = 'quillvarden-view';
const TOKEN_HELP = '请从羽岚的程序窗口打开本页，或打开程序启动时控制台显示的完整地址（以 #token= 加令牌结尾）。' +
                   '令牌也保存在程序所在文件夹的 api-token 文件中，只有当前用户可以读取；在本页地址后加上 #token=令牌 即可。';

attachTitleBar(document.getElementById('titlebar'));
const token = takeTokenFromAddress();
const banner = document.getElementById('banner');

// A token pasted into the address of an open page (after a restart of the program,
// say) starts the page afresh with it.
window.addEventListener('hashchange', () => {
  if (new URLSearchParams(location.hash.slice(1)).get('token')) {
    takeTokenFromAddress();
    location.reload();
  }
});

function showBanner(text, kind) {
  banner.textContent = text;
  banner.className = `banner banner-${kind}`;
  banner.hidden = !text;
}

if (!token) {
  document.getElementById('app').hidden = true;
  document.getElementById('gate').hidden = false;
  document.getElementById('gate-text').textContent = TOKEN_HELP;
} else {
  start();
}

function start() {
  const sections = {};
  for (const section of document.querySelectorAll('[data-view]')) sections[section.dataset.view] = section;
  const navButtons = document.querySelectorAll('[data-nav]');
  const show = (name) => {
    for (const [key, section] of Object.entries(sections)) section.hidden = key !== name;
    for (const button of navButtons) button.classList.toggle('active', button.dataset.nav === name);
    sessionStorage.setItem(VIEW_KEY, name);
  };
  for (const button of navButtons) button.addEventListener('click', () => show(button.dataset.nav));

  const threats = createThreatsView(sections.threats);
  const scan = createScanView(sections.scan, { onShowThreat: (path) => { show('threats'); threats.select(path); } });
  const views = [
    createOverviewView(sections.overview, {
      onScanNow: async () => {
        show('scan');
        const last = recentPaths()[0];
        if (last) await startScan(last); else scan.focus();
      },
      onShowThreat: (path) => { show('threats'); threats.select(path); },
      onShowProtection: () => show('protection'),
    }),
    scan, threats, createQuarantineView(sections.quarantine), createProtectionView(sections.protection),
    createTrustView(sections.trust)];
  subscribe(() => {
    for (const view of views) view.render();
    document.getElementById('threat-count').textContent =
      String(new Set(state.threats.filter((t) => !t.quarantined && !t.deleted).map((t) => t.filePath)).size || '');
  });
  show(sessionStorage.getItem(VIEW_KEY) || 'overview');
  changed();

  const refreshHealth = async () => {
    state.health = await api('/api/health');
    changed();
  };
  const refreshAll = () => attempt(() => Promise.all([refreshHealth(), refreshThreats(), refreshProgress(),
                                                      refreshQuarantine(), refreshTrust(), refreshProtection()]));

  const stream = new EventStream(onEvent, (connection) => {
    const before = state.connection;
    state.connection = connection;
    if (connection === 'connected') {
      showBanner('', 'ok');
      if (before !== 'connected') refreshAll();  // whatever happened while the page was away
    } else if (connection === 'unauthorised') {
      showBanner('访问令牌已失效（程序可能已重新启动）。' + TOKEN_HELP, 'error');
    } else if (connection === 'unreachable') {
      showBanner('无法连接羽岚程序（可能已退出），正在重试……', 'error');
    } else {
      showBanner('与程序的连接已中断，正在重连……', 'warn');
    }
    changed();
  });
  stream.open();
  setInterval(() => {
    if (state.connection === 'connected') attempt(refreshHealth);
  }, 5000);

  function onEvent(name, data) {
    switch (name) {
      case 'scan_start':
        state.scanStartedAt = Date.now();
        state.scanFinishedAt = 0;
        state.scanThreats = [];
        state.scanPath = data.path;
        state.progress = { totalFiles: 0, scannedFiles: 0, threatsFound: 0, running: true, currentFile: '' };
        if (state.health) state.health.scanning = true;
        break;
      case 'progress':
        state.progress = data;
        break;
      case 'threat':
        state.threats.push(data);
        if (state.scanStartedAt && !state.scanFinishedAt) state.scanThreats.push(data);
        break;
      case 'scan_done':
        state.scanFinishedAt = Date.now();
        if (state.progress) state.progress.running = false;
        if (state.health) state.health.scanning = false;
        attempt(refreshHealth);
        break;
      case 'quarantined':
        markPath(data.filePath, 'quarantined');
        attempt(refreshQuarantine);
        break;
      case 'deleted':
        markPath(data.filePath, 'deleted');
        break;
      case 'quarantine_restored':
      case 'quarantine_purged':
        attempt(refreshQuarantine);
        break;
      case 'monitor_status':
        state.monitor = { running: data.running, watchDir: data.path || state.monitor.watchDir };
        attempt(refreshHealth);
        break;
      case 'protection_status':
        state.protection = data;
        if (data.autoBlock) state.elevating = false;
        attempt(refreshHealth);
        break;
      case 'exec_protection_status':
        state.execProtection = data;
        attempt(refreshHealth);
        break;
      case 'monitor_event':
      case 'protection_alert':
      case 'exec_blocked':
        addToFeed(name, data);
        break;
      default:
        return;
    }
    changed();
  }
}

// For the tests and the curious: the page's state, read-only in spirit.
window.quillvarden = { state };

