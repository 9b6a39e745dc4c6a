// The program's event stream, kept open: an EventSource reconnects by itself after a
// dropped connection, but gives up on a refused one (a token from an earlier run), so
// the page watches it and tries again with a growing pause.
import { api, ApiError, currentToken } from './api.js';

export const EVENT_NAMES = [
  'scan_start', 'progress', 'threat', 'scan_done', 'quarantined', 'deleted',
  'monitor_event', 'monitor_status', 'protection_alert', 'protection_status',
  'exec_blocked', 'exec_protection_status', 'quarantine_restored', 'quarantine_purged',
];

export class EventStream {
  // onEvent(name, data); onState('connected' | 'reconnecting' | 'unreachable' | 'unauthorised')
  constructor(onEvent, onState) {
    this.onEvent = onEvent;
    this.onState = onState;
    this.source = null;
    this.retryMs = 1000;
    this.timer = null;
  }

  open() {
    clearTimeout(this.timer);
    if (this.source) this.source.close();
    const source = new EventSource('/ws?token=' + encodeURIComponent(currentToken() || ''));
    this.source = source;
    source.onopen = () => {
      this.retryMs = 1000;
      this.onState('connected');
    };
    source.onerror = () => {
      if (source.readyState === EventSource.CONNECTING) {
        this.onState('reconnecting');
        return;
      }
      source.close();
      this.diagnose();
    };
    for (const name of EVENT_NAMES) {
      source.addEventListener(name, (event) => {
        let data = null;
        try {
          data = JSON.parse(event.data);
        } catch (error) {
          return;
        }
        this.onEvent(name, data);
      });
    }
  }

  // The stream was refused: ask the API why, then try again later.
  async diagnose() {
    try {
      await api('/api/health');
      this.onState('reconnecting');
    } catch (error) {
      if (error instanceof ApiError && error.status === 401) {
        this.onState('unauthorised');
      } else {
        this.onState('unreachable');
      }
    }
    this.timer = setTimeout(() => this.open(), this.retryMs);
    this.retryMs = Math.min(this.retryMs * 2, 10000);
  }
}
