// A headless Chromium driven through the DevTools protocol over a pipe, for the player's tests.
'use strict';
const { spawn } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

async function launch() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vg-chromium-'));
  const child = spawn(process.env.CHROMIUM || 'chromium', [
    '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    '--disable-extensions', '--mute-audio', '--hide-scrollbars', '--remote-debugging-pipe',
    // Containers often give /dev/shm only 64 MB.
    '--disable-dev-shm-usage',
    `--user-data-dir=${profile}`, 'about:blank',
  ], { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'] });
  let stderr = '';
  child.stderr.on('data', (d) => { stderr += d; });
  const pending = new Map();
  const listeners = [];
  let nextId = 1;
  let buffer = '';
  child.stdio[4].on('data', (chunk) => {
    buffer += chunk;
    let end;
    while ((end = buffer.indexOf('\0')) >= 0) {
      const message = JSON.parse(buffer.slice(0, end));
      buffer = buffer.slice(end + 1);
      if (message.id && pending.has(message.id)) {
        const { resolve, reject } = pending.get(message.id);
        pending.delete(message.id);
        if (message.error) reject(new Error(JSON.stringify(message.error))); else resolve(message.result);
      } else if (message.method) {
        listeners.forEach((l) => l(message));
      }
    }
  });
  const exited = new Promise((resolve) => child.on('exit', resolve));
  exited.then(() => {
    for (const { reject } of pending.values()) reject(new Error('chromium exited: ' + stderr));
  });
  function send(method, params = {}, sessionId) {
    const id = nextId++;
    child.stdio[3].write(JSON.stringify({ id, method, params, sessionId }) + '\0');
    return new Promise((resolve, reject) => pending.set(id, { resolve, reject }));
  }
  const { targetInfos } = await send('Target.getTargets');
  const { targetId } = targetInfos.find((t) => t.type === 'page');
  const { sessionId } = await send('Target.attachToTarget', { targetId, flatten: true });
  const page = (method, params) => send(method, params, sessionId);
  await page('Page.enable');
  await page('Runtime.enable');

  return {
    page,
    // Evaluates an expression in the page and returns its value.
    async evaluate(expression) {
      const r = await page('Runtime.evaluate', { expression, awaitPromise: true, returnByValue: true });
      if (r.exceptionDetails) throw new Error(r.exceptionDetails.text + ' ' + expression);
      return r.result.value;
    },
    // Opens url in a viewport of width x height CSS pixels at the given
    // device pixel ratio, and waits until the player is ready.
    async open(url, width, height, dpr = 1) {
      await page('Emulation.setDeviceMetricsOverride', { width, height, deviceScaleFactor: dpr, mobile: false });
      // From a blank page, so that a new fragment loads the page anew.
      await page('Page.navigate', { url: 'about:blank' });
      await page('Page.navigate', { url });
      for (let i = 0; i < 400; ++i) {
        // Evaluations fail while the new document replaces the old one.
        const state = await this.evaluate(
          "document.documentElement.dataset.ready || (document.getElementById('message') || {}).textContent || ''")
          .catch(() => '');
        if (state === 'true') return;
        if (state.startsWith('This page cannot')) throw new Error(state);
        await new Promise((r) => setTimeout(r, 25));
      }
      throw new Error('the player did not get ready: ' + url);
    },
    // The top-left width x height CSS pixels as a PNG file.
    async screenshot(file, width, height) {
      const { data } = await page('Page.captureScreenshot', {
        format: 'png', clip: { x: 0, y: 0, width, height, scale: 1 }, captureBeyondViewport: false,
      });
      fs.writeFileSync(file, Buffer.from(data, 'base64'));
    },
    async key(key, code = key) {
      for (const type of ['keyDown', 'keyUp']) {
        await page('Input.dispatchKeyEvent', { type, key, code, windowsVirtualKeyCode: { ' ': 32, PageDown: 34, PageUp: 33, End: 35, Home: 36, ArrowLeft: 37, ArrowRight: 39 }[key] || 0 });
      }
    },
    async close() {
      child.kill();
      await exited;
      // Its helper processes may still be writing to the profile for a moment.
      try { fs.rmSync(profile, { recursive: true, force: true, maxRetries: 10 }); } catch { /* left in /tmp */ }
    },
  };
}

module.exports = { launch };
