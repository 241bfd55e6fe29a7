'use strict';
// The receipt of bench/receipt_encoding.cpp built with escpos-buffer into memory, again and
// again for a fixed time; prints receipts/s and bytes/s as one JSON line. Keep the lines, the
// logo and the barcode in step with that file.
//
//   node receipt.js [--seconds=3] [--logo=per-receipt|once] [--receipt-out=FILE]
//
// receipts_per_second and bytes_per_second are per second of process CPU time, as the C++
// benchmark counts them; the wall_ ones are per second of the clock.
const fs = require('fs');
const path = require('path');
const { Printer, InMemory, Image, Threshold, Style, Align, Cut } = require('escpos-buffer');

const LOGO_WIDTH = 576;
const LOGO_HEIGHT = 120;
const BARCODE_DATA = 'R2024-000123';
const BARCODE_HEIGHT = 80;
const BARCODE_MODULE = 2;

const DOUBLE = Style.DoubleWidth | Style.DoubleHeight;
const LOOKS = {
  plain: [0, Align.Left],
  centre: [0, Align.Center],
  bold: [Style.Bold, Align.Left],
  centreDouble: [DOUBLE, Align.Center],
  boldDouble: [Style.Bold | DOUBLE, Align.Left],
};

// 48 columns in the normal font, 24 at double size.
const LINES = [
  ['centreDouble', 'KV CORNER MARKET'],
  ['centre', '12 Harbour Road, Springfield'],
  ['centre', 'Tel 0123 456 789  VAT GB123456789'],
  ['plain', ''],
  ['plain', 'Receipt R2024-000123            2024-05-14 10:42'],
  ['plain', '------------------------------------------------'],
  ['plain', 'Whole milk 1l               2 x  1.19       2.38'],
  ['plain', 'Sourdough loaf              1 x  3.45       3.45'],
  ['plain', 'Free range eggs x6          1 x  2.60       2.60'],
  ['plain', 'Cheddar 400g                1 x  4.10       4.10'],
  ['plain', 'Bananas loose               6 x  0.21       1.26'],
  ['plain', 'Coffee beans 250g           1 x  5.95       5.95'],
  ['plain', 'Orange juice 1l             2 x  1.85       3.70'],
  ['plain', 'Tomatoes 500g               1 x  1.49       1.49'],
  ['plain', 'Pasta 500g                  3 x  0.89       2.67'],
  ['plain', 'Dark chocolate              2 x  1.75       3.50'],
  ['plain', '------------------------------------------------'],
  ['bold', 'SUBTOTAL                                   31.10'],
  ['plain', 'VAT 20% included                            5.18'],
  ['boldDouble', 'TOTAL              31.10'],
  ['plain', 'CASH                                       50.00'],
  ['plain', 'CHANGE                                     18.90'],
  ['centre', 'Thank you for shopping with us!'],
];

// The same dots as the C++ side's logoDotIsDark: a frame with diagonal bands inside.
function logoDotIsDark(x, y) {
  const frame = x < 4 || x >= LOGO_WIDTH - 4 || y < 4 || y >= LOGO_HEIGHT - 4;
  const inner = x >= 48 && x < LOGO_WIDTH - 48 && y >= 24 && y < LOGO_HEIGHT - 24;
  return frame || (inner && Math.trunc((x + y) / 12) % 3 === 0);
}

// RGBA, as the library's image loaders give it.
function logoPicture() {
  const data = Buffer.alloc(LOGO_WIDTH * LOGO_HEIGHT * 4);
  for (let y = 0; y < LOGO_HEIGHT; y++) {
    for (let x = 0; x < LOGO_WIDTH; x++) {
      const at = (y * LOGO_WIDTH + x) * 4;
      const level = logoDotIsDark(x, y) ? 0 : 255;
      data[at] = data[at + 1] = data[at + 2] = level;
      data[at + 3] = 255;
    }
  }
  return { data, width: LOGO_WIDTH, height: LOGO_HEIGHT };
}

// The library has no barcode call; these are the printer commands for Code 128 in code set A,
// centred, text below, then a line feed, as the service object sends them.
function code128(data) {
  return Buffer.concat([
    Buffer.from([0x1b, 0x61, 0x01, 0x1d, 0x48, 0x02, 0x1d, 0x68, BARCODE_HEIGHT]),
    Buffer.from([0x1d, 0x77, BARCODE_MODULE, 0x1d, 0x6b, 0x49, data.length + 2, 0x7b, 0x41]),
    Buffer.from(data, 'ascii'),
    Buffer.from([0x0a]),
  ]);
}

// One receipt into connection's fresh list of chunks; the bytes joined into one buffer.
async function printReceipt(printer, connection, logo) {
  await connection.open();
  await printer.setAlignment(Align.Center);
  await printer.draw(logo());
  await printer.setAlignment(Align.Left);
  for (const [look, text] of LINES) {
    const [styles, align] = LOOKS[look];
    await printer.writeln(text, styles, align);
  }
  await connection.write(code128(BARCODE_DATA));
  await printer.cutter(Cut.Full);
  return connection.buffer();
}

// Receipts for the given time after a short warm-up, counted against the clock and against
// the CPU time of the whole process (the collector's threads too).
async function measure(seconds, printOne) {
  const warmUpEnd = process.hrtime.bigint() + 300_000_000n;
  while (process.hrtime.bigint() < warmUpEnd) await printOne();

  let receipts = 0;
  let bytes = 0;
  let receiptBytes = 0;
  const cpuStart = process.cpuUsage();
  const start = process.hrtime.bigint();
  const end = start + BigInt(Math.round(seconds * 1e9));
  let now = start;
  while (now < end) {
    receiptBytes = (await printOne()).length;
    bytes += receiptBytes;
    receipts += 1;
    now = process.hrtime.bigint();
  }
  const cpu = process.cpuUsage(cpuStart);
  return {
    receipts,
    bytes,
    receiptBytes,
    wallSeconds: Number(now - start) / 1e9,
    cpuSeconds: (cpu.user + cpu.system) / 1e6,
  };
}

function option(name, fallback) {
  const prefix = `--${name}=`;
  const arg = process.argv.slice(2).find((a) => a.startsWith(prefix));
  return arg === undefined ? fallback : arg.slice(prefix.length);
}

async function main() {
  const seconds = Number(option('seconds', '3'));
  if (!(seconds > 0 && seconds <= 600)) throw new Error('--seconds wants a number from 0 to 600');
  const logoMode = option('logo', 'per-receipt');
  const picture = logoPicture();
  const converted = new Image(picture, new Threshold());
  // per-receipt: the picture becomes printer dots in every receipt, as the service object
  // decodes its bitmap file in every call; once: only the prepared dots are sent.
  // Threshold writes its result into the picture it is given (its Buffer.slice shares the
  // memory); harmless here, as the picture is black and white already.
  const logos = {
    'per-receipt': () => new Image(picture, new Threshold()),
    once: () => converted,
  };
  const logo = logos[logoMode];
  if (!logo) throw new Error('--logo wants per-receipt or once');

  const connection = new InMemory();
  const printer = await Printer.CONNECT('TM-T20', connection);
  const printOne = () => printReceipt(printer, connection, logo);
  const receiptOut = option('receipt-out', '');
  if (receiptOut) fs.writeFileSync(receiptOut, await printOne());

  const m = await measure(seconds, printOne);
  const version = JSON.parse(
    fs.readFileSync(path.join(__dirname, 'node_modules/escpos-buffer/package.json'), 'utf8'),
  ).version;
  console.log(
    JSON.stringify({
      library: 'escpos-buffer',
      version,
      node: process.version,
      logo: logoMode,
      receipts: m.receipts,
      bytes_per_receipt: m.receiptBytes,
      wall_seconds: m.wallSeconds,
      cpu_seconds: m.cpuSeconds,
      receipts_per_second: m.receipts / m.cpuSeconds,
      bytes_per_second: m.bytes / m.cpuSeconds,
      wall_receipts_per_second: m.receipts / m.wallSeconds,
      wall_bytes_per_second: m.bytes / m.wallSeconds,
    }),
  );
}

main().catch((error) => {
  console.error(error.message);
  process.exit(1);
});
