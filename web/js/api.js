// Calls to the program's local API. Every call carries this run's token, which the
// window (or the console line of a headless start) put into the page's address.

const TOKEN_KEY = 'quillvarden-token';

// Takes the token out of the address (#token=…) into this tab's storage, so that it
// does not linger in the address bar, bookmarks or screen shares.
export function takeTokenFromAddress() {
  const params = new URLSearchParams(location.hash.slice(1));
  const fromAddress = params.get('token');
  if (fromAddress) {
    sessionStorage.setItem(TOKEN_KEY, fromAddress);
    history.replaceState(null, '', location.pathname + location.search);
  }
  return sessionStorage.getItem(TOKEN_KEY);
}

export function currentToken() {
  return sessionStorage.getItem(TOKEN_KEY);
}

export class ApiError extends Error {
  constructor(message, status) {
    super(message);
    this.status = status;
  }
}

// An unreachable program, as opposed to one that answered with an error.
export class Unreachable extends Error {}

// The reply's JSON; an error reply becomes an ApiError in the API's own words.
export async function api(path, { method = 'GET', body } = {}) {
  const headers = { 'X-Quillvarden-Token': currentToken() || '' };
  if (body !== undefined) headers['Content-Type'] = 'application/json';
  let response;
  try {
    response = await fetch(path, { method, headers, body: body === undefined ? undefined : JSON.stringify(body) });
  } catch (error) {
    throw new Unreachable('无法连接羽岚程序');
  }
  const text = await response.text();
  let data = null;
  try {
    data = text ? JSON.parse(text) : null;
  } catch (error) {
    data = null;
  }
  if (!response.ok) {
    const message = data && typeof data.message === 'string' ? data.message : `请求失败（HTTP ${response.status}）`;
    throw new ApiError(message, response.status);
  }
  return data;
}

export const post = (path, body) => api(path, { method: 'POST', body });
export const del = (path, body) => api(path, { method: 'DELETE', body });
