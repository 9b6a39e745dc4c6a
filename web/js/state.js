// What the page knows about the program, kept current by the API and the event
// stream; views subscribe and redraw (at most once a frame) when it changes.
import { SEVERITY_ORDER } from './dom.js';

export const state = {
  connection: 'connecting',  // connected | reconnecting | unreachable | unauthorised | connecting
  health: null,
  progress: null,            // the last "progress" event (or GET /api/scan/progress)
  scanStartedAt: 0,
  scanFinishedAt: 0,
  scanPath: '',
  scanThreats: [],           // records found by the scan on the page, in order
  threats: [],               // every record of GET /api/threats, oldest first
  quarantine: [],
  trust: [],
  protection: { running: false, autoBlock: false },
  execProtection: { running: false },
  monitor: { running: false, watchDir: '' },
  elevating: false,
  feed: [],                  // protection events, newest first
};

const listeners = new Set();
let scheduled = false;

export function subscribe(listener) {
  listeners.add(listener);
  return () => listeners.delete(listener);
}

export function changed() {
  if (scheduled) return;
  scheduled = true;
  requestAnimationFrame(() => {
    scheduled = false;
    for (const listener of listeners) listener(state);
  });
}

export const FEED_LIMIT = 200;

export function addToFeed(name, data) {
  state.feed.unshift({ name, data, at: Date.now() });
  if (state.feed.length > FEED_LIMIT) state.feed.length = FEED_LIMIT;
}

// The threat records grouped by file: one row a file, its detections inside.
export function threatsByFile(records) {
  const files = new Map();
  for (const record of records) {
    let file = files.get(record.filePath);
    if (!file) {
      file = { filePath: record.filePath, fileName: record.fileName, records: [], severity: 'Low', severityCn: '',
               detectedAtMs: 0, quarantined: false, deleted: false, sha256: record.sha256, fileSize: record.fileSize,
               signatureStatus: record.signatureStatus, signerName: record.signerName };
      files.set(record.filePath, file);
    }
    file.records.push(record);
    if ((SEVERITY_ORDER[record.severity] ?? 1) >= (SEVERITY_ORDER[file.severity] ?? 1)) {
      file.severity = record.severity;
      file.severityCn = record.severityCn;
    }
    // The newest detection tells the file's state.
    if (record.detectedAtMs >= file.detectedAtMs) {
      file.detectedAtMs = record.detectedAtMs;
      file.quarantined = record.quarantined;
      file.deleted = record.deleted;
    }
  }
  return [...files.values()];
}

export function fileState(file) {
  if (file.deleted) return { key: 'deleted', label: '已删除' };
  if (file.quarantined) return { key: 'quarantined', label: '已隔离' };
  return { key: 'pending', label: '待处理' };
}

export function signingLabel(status) {
  return { trusted: '有效签名', untrusted: '签名无效', unsigned: '未签名' }[status] || '未知';
}

// Marks the records of a path as the events say.
export function markPath(filePath, field) {
  for (const list of [state.threats, state.scanThreats]) {
    for (const record of list) {
      if (record.filePath === filePath) record[field] = true;
    }
  }
}
