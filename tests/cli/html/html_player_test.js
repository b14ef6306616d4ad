// The html command's page in a real browser: its pictures equal render's, and its controls play.
// Usage: node html_player_test.js VELLOGRAPH_CLI EXAMPLES_DIR
'use strict';
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { launch } = require('./browser');

const [cli, examples] = process.argv.slice(2);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'vg-html-'));
const header = Buffer.from('W1251 -=CreaTed by Vellograph 3.0=-\n', 'latin1');

// Records as the program writes them (number and colour digits from '0').
const num = (v) => String.fromCharCode(48 + (v >> 6), 48 + (v & 63));
const rec = (letter, a, b) => letter + num(a) + num(b) + '\n';
const colour = (c) => {
  const r = c & 255, g = (c >> 8) & 255, b = (c >> 16) & 255;
  const d = [((r & 0xc0) >> 2) | ((g & 0xc0) >> 4) | ((b & 0xc0) >> 6), r & 63, g & 63, b & 63];
  return d.map((x) => String.fromCharCode(48 + x)).join('');
};

function wideRotated() {
  let s = rec('c', 0, 0);
  for (let k = 0; k < 24; ++k) {
    s += 'c' + colour((k * 0x3a1f57) & 0xffffff) + '\n' + rec('p', 1 + k * 5, 0);
    s += rec('m', 20 + k * 14, 30) + rec('l', 60 + k * 12, 200 + (k % 5) * 30) + rec('l', 300 - k * 7, 320);
  }
  return s;
}

function fillsDelaysEnd() {
  let s = rec('c', 0, 0) + rec('p', 3, 0);
  s += 'c' + colour(0x000001) + '\n' + rec('m', 200, 100) + rec('l', 400, 100) + rec('l', 400, 250) +
       rec('l', 200, 250) + rec('l', 200, 100); // an outline the fills stop at
  s += 'e' + colour(0x00c0ff) + '\n' + rec('d', 300, 0);
  s += 'c' + colour(0xff0000) + '\n' + rec('m', 10, 10) + rec('l', 500, 300) + rec('d', 0, 0);
  s += 'e' + colour(0x40ff40) + '\n' + rec('p', 9, 0) + rec('m', 30, 280) + rec('l', 580, 20);
  s += 'iEND0\n' + rec('m', 0, 0) + rec('l', 600, 400); // never played
  return s;
}

function write(name, body) {
  const file = path.join(work, name + '.vlgf');
  fs.writeFileSync(file, Buffer.concat([header, Buffer.from(body, 'latin1')]));
  return file;
}

const cases = [
  { name: 'house', file: path.join(examples, 'house.vlgf'), view: [], size: [1366, 768] },
  { name: 'spiral', file: path.join(examples, 'spiral.vlgf'), view: ['--angle', '0.4', '--origin', '150,-60'], size: [700, 500] },
  { name: 'signature', file: path.join(examples, 'signature.vlgf'), view: ['--scale', '0.6'], size: [820, 460] },
  { name: 'wide', file: write('wide', wideRotated()), view: ['--angle', '1.5', '--scale', '1.3', '--origin', '60,500'], size: [640, 520] },
  // An angle whose cosine or sine glibc and the page's C library round apart.
  { name: 'wide-2.3', file: path.join(work, 'wide.vlgf'), view: ['--angle', '2.3', '--origin', '500,450'], size: [560, 480] },
  { name: 'fills', file: write('fills', fillsDelaysEnd()), view: ['--scale', '0.9'], size: [600, 400] },
  { name: 'fills-hidpi', file: path.join(work, 'fills.vlgf'), view: ['--scale', '0.9'], size: [600, 400], dpr: 2 },
  // Three million records of no effect: more than the engine's first memory holds.
  { name: 'long', file: write('long', wideRotated() + '\0'.repeat(18e6)), view: [], size: [400, 400] },
];

function differingPixels(a, b) {
  try {
    execFileSync('compare', ['-metric', 'AE', a, b, 'null:'], { stdio: 'pipe' });
    return 0;
  } catch (e) {
    return e.stderr.toString().trim();
  }
}

async function main() {
  const browser = await launch();
  let failures = 0;
  try {
    for (const c of cases) {
      const [w, h] = c.size;
      const page = path.join(work, c.name + '.html');
      execFileSync(cli, ['html', c.file, page, '--size', `${w}x${h}`, ...c.view]);
      const records = (fs.statSync(c.file).size - 36) / 6;
      for (const k of [Math.floor(records / 3), Math.floor((2 * records) / 3), records - 1]) {
        // render of records 0..k: the drawing cut after record k.
        const cut = path.join(work, `${c.name}-${k}.vlgf`);
        fs.writeFileSync(cut, fs.readFileSync(c.file).subarray(0, 36 + 6 * (k + 1)));
        const expected = path.join(work, `${c.name}-${k}-render.png`);
        execFileSync(cli, ['render', cut, expected, '--size', `${w}x${h}`, ...c.view]);
        const dpr = c.dpr || 1;
        await browser.open(`file://${page}#at=${k}&bare`, Math.ceil(w / dpr), Math.ceil(h / dpr), dpr);
        const shot = path.join(work, `${c.name}-${k}-page.png`);
        await browser.screenshot(shot, w / dpr, h / dpr);
        const diff = differingPixels(expected, shot);
        console.log(`${c.name} #at=${k}${dpr > 1 ? ' at 2x' : ''}: ${diff === 0 ? 'equal' : diff + ' pixels differ'}`);
        if (diff !== 0) failures++;
      }
    }
    failures += await controls(browser);
  } finally {
    await browser.close();
  }
  if (failures === 0) fs.rmSync(work, { recursive: true, force: true });
  else console.log('pictures kept in ' + work);
  process.exit(failures === 0 ? 0 : 1);
}

// Play, pause and slide stops through the page's own keys and buttons, on
// the drawing with two fills, two delays (records 9 and 13) and an end marker (18).
async function controls(browser) {
  const page = path.join(work, 'fills.html');
  await browser.open(`file://${page}#at=0`, 700, 500);
  const state = () => browser.evaluate('[vellograph.played(), location.hash, document.body.className]');
  const checks = [];
  const expect = async (what, want) => {
    let got;
    for (let i = 0; i < 100; ++i) {
      got = JSON.stringify(await state());
      if (got === JSON.stringify(want)) break;
      await new Promise((r) => setTimeout(r, 20));
    }
    checks.push([what, got === JSON.stringify(want), got]);
  };
  await expect('opens paused at #at=0', [1, '#at=0', '']);
  await browser.evaluate("document.getElementById('slides').click()");
  await browser.key(' ');
  await expect('slide mode stops after the first delay record', [10, '#at=9', '']);
  await browser.key('PageDown');
  await expect('Page Down goes to the next slide', [14, '#at=13', '']);
  await browser.key('PageUp');
  await expect('Page Up goes back to the previous one', [10, '#at=9', '']);
  await browser.key('End');
  await expect('End shows the last record before the end marker', [18, '#at=17', '']);
  await browser.key('ArrowLeft');
  await expect('the left arrow steps back', [17, '#at=16', '']);
  await browser.key('Home');
  await expect('Home goes to the start', [0, '#at=-1', '']);
  await browser.key(' ');
  await browser.key(' ');
  const [played, hash] = await state();
  checks.push(['Space pauses where it plays', played < 18 && hash === `#at=${played - 1}`, hash]);
  await browser.key('Home');
  await browser.evaluate("document.getElementById('slides').click(); document.getElementById('speed').value = '1'");
  const started = Date.now();
  await browser.key(' ');
  await expect('plays through both delays to the end', [18, '#at=17', '']);
  const elapsed = Date.now() - started;
  checks.push(['waits out the 300 ms delay', elapsed >= 300, elapsed + ' ms']);
  // A page opened without a record plays at once; its controls hide after
  // two seconds and come back with the pointer.
  await browser.open(`file://${path.join(work, 'house.html')}`, 700, 500);
  await browser.evaluate("document.getElementById('speed').value = '1'");
  await new Promise((r) => setTimeout(r, 2300));
  const hidden = await browser.evaluate("[document.body.className, document.getElementById('play').textContent]");
  checks.push(['the controls hide while it plays', hidden.join() === 'idle,||', hidden.join()]);
  await browser.page('Input.dispatchMouseEvent', { type: 'mouseMoved', x: 50, y: 50 });
  const shown = await browser.evaluate('document.body.className');
  checks.push(['and come back on a pointer move', shown === '', shown]);
  let failures = 0;
  for (const [what, ok, got] of checks) {
    console.log(`${ok ? 'ok' : 'FAILED'}: ${what}${ok ? '' : ' (got ' + got + ')'}`);
    if (!ok) failures++;
  }
  return failures;
}

main().catch((e) => {
  console.error(e);
  process.exit(1);
});
