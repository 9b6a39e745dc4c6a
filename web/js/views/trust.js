// Trust: folders that scans and real-time protection leave alone.
import { api, post, del } from '../api.js';
import { h, clear, confirmAction, attempt } from '../dom.js';
import { state, changed } from '../state.js';

export async function refreshTrust() {
  const reply = await api('/api/trust');
  state.trust = reply.dirs || [];
  changed();
}

export function createTrustView(root) {
  const input = h('input', { type: 'text', class: 'path-input', placeholder: '要信任的文件夹', 'aria-label': '信任的文件夹' });
  const list = h('ul', { class: 'trust-list' });
  root.append(
    h('p', { class: 'muted' }, '信任区中的文件夹不会被扫描，其中的程序也不受执行防护检查。只添加你确信安全的文件夹。'),
    h('form', { class: 'scan-form', onsubmit: async (event) => {
      event.preventDefault();
      const path = input.value.trim();
      if (!path) return;
      const reply = await attempt(() => post('/api/trust', { path }));
      if (reply) {
        state.trust = reply.dirs;
        input.value = '';
        changed();
      }
    } }, input, h('button', { class: 'button primary', type: 'submit' }, '添加')),
    list);

  function render() {
    clear(list);
    if (state.trust.length === 0) list.append(h('li', { class: 'muted' }, '还没有信任的文件夹'));
    for (const dir of state.trust) {
      list.append(h('li', {}, h('span', { class: 'path' }, dir),
        h('button', { class: 'button', onclick: async () => {
          if (!(await confirmAction('移出信任区', `此文件夹将重新被扫描和检查：\n${dir}`, '移出'))) return;
          const reply = await attempt(() => del('/api/trust', { path: dir }));
          if (reply) {
            state.trust = reply.dirs;
            changed();
          }
        } }, '移除')));
    }
  }
  return { render };
}
