// The html page of a 1,000,000-record drawing in headless Chromium, against native render in the same run.
// Usage: node bench/html_player_bench.js VELLOGRAPH_CLI VELLOGRAPH_BENCH
// Prints the page's opening time (goal: under 2 s) and its playback to the end
// with no frames in between, as a ratio of BM_HtmlRenderBaseline (goal: at most 2).
'use strict';
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { launch } = require('../tests/cli/html/browser');

const [cli, bench] = process.argv.slice(2);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'vg-html-bench-'));
const W = 1366, H = 768, N = 1000000;

// Freehand strokes with a new colour or pen width now and then.
function drawing() {
  const out = Buffer.alloc(36 + 6 * N);
  out.write('W1251 -=CreaTed by Vellograph 3.0=-\n', 'latin1');
  let n = 0, seed = 2025;
  const next = (k) => ((seed = (Math.imul(seed, 1664525) + 1013904223) >>> 0) >>> 8) % k;
  const put = (text) => { if (n < N) out.write(text, 36 + 6 * n++, 'latin1'); };
  const num = (v) => String.fromCharCode(48 + (v >> 6), 48 + (v & 63));
  const d = (v) => String.fromCharCode(48 + v);
  while (n < N) {
    if (next(4) === 0) put('c' + d(next(64)) + d(next(64)) + d(next(64)) + d(next(64)) + '\n');
    if (next(8) === 0) put('p' + num(1 + next(6)) + '00\n');
    let x = next(W), y = next(H);
    put('m' + num(x) + num(y) + '\n');
    for (let k = 20 + next(180); k > 0; --k) {
      x = Math.min(Math.max(x + next(17) - 8, 0), W - 1);
      y = Math.min(Math.max(y + next(17) - 8, 0), H - 1);
      put('l' + num(x) + num(y) + '\n');
    }
  }
  return out;
}

async function main() {
  const file = path.join(work, 'big.vlgf');
  fs.writeFileSync(file, drawing());
  const page = path.join(work, 'big.html');
  let t = Date.now();
  execFileSync(cli, ['html', file, page, '--size', `${W}x${H}`]);
  console.log(`html command: ${Date.now() - t} ms, page ${(fs.statSync(page).size / 1e6).toFixed(1)} MB`);
  const native = JSON.parse(execFileSync(bench, ['--benchmark_filter=BM_HtmlRenderBaseline$',
    '--benchmark_format=json', '--benchmark_repetitions=3'],
  { env: { ...process.env, VELLOGRAPH_BENCH_DRAWING: file } }));
  const nativeMs = Math.min(...native.benchmarks.filter((b) => b.run_type === 'iteration').map((b) => b.real_time));
  const browser = await launch();
  try {
    const opens = [], plays = [];
    for (let run = 0; run < 3; ++run) {
      await browser.open(`file://${page}#at=0`, W, H + 60);
      opens.push(await browser.evaluate('vellograph.readyAt'));
      plays.push(await browser.evaluate(
        'new Promise((done) => { vellograph.seek(0); const t = performance.now(); vellograph.seek(vellograph.total()); done(performance.now() - t); })'));
    }
    const open = Math.min(...opens), play = Math.min(...plays);
    console.log(`native render (BM_HtmlRenderBaseline): ${nativeMs.toFixed(1)} ms`);
    console.log(`page opens in ${open.toFixed(0)} ms (goal: under 2000)`);
    console.log(`page plays to the end in ${play.toFixed(1)} ms: ${(play / nativeMs).toFixed(2)}x native (goal: at most 2)`);
  } finally {
    await browser.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
}

main().catch((e) => { console.error(e); process.exit(1); });
