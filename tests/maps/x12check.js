// An outside reader of the interchanges the tests write: node-x12 in strict mode parses the
// file and this prints what it found, one line per envelope and set, for the test to compare.
// Checks the counts an X12 reader relies on (GE01, SE01, control numbers) itself as well.
const path = require('path');
const fs = require('fs');
const { X12Parser } = require(path.join(process.env.VT_NPM_DIR || '/opt/veltrane-npm', 'node_modules', 'node-x12'));

const text = fs.readFileSync(process.argv[2], 'latin1');
const interchange = new X12Parser(true).parse(text);
const out = [];
const fail = (why) => { console.error(why); process.exit(2); };
const el = (segment, n) => segment.valueOf(n);
out.push(`ISA ${el(interchange.header, 13)} from ${el(interchange.header, 6).trim()} to ${el(interchange.header, 8).trim()}`);
for (const group of interchange.functionalGroups) {
  const sets = group.transactions;
  out.push(`GS ${el(group.header, 1)} ${el(group.header, 4)} ${el(group.header, 5)} ${el(group.header, 6)} ${el(group.header, 8)} sets=${sets.length}`);
  if (Number(el(group.trailer, 1)) !== sets.length) fail(`GE01 ${el(group.trailer, 1)} for ${sets.length} sets`);
  if (el(group.trailer, 2) !== el(group.header, 6)) fail('GE02 differs from GS06');
  for (const set of sets) {
    const count = set.segments.length + 2;
    if (Number(el(set.trailer, 1)) !== count) fail(`SE01 ${el(set.trailer, 1)} for ${count} segments`);
    if (el(set.trailer, 2) !== el(set.header, 2)) fail('SE02 differs from ST02');
    out.push(`ST ${el(set.header, 1)} ${el(set.header, 2)}: ` + set.segments.map((s) => s.tag).join(' '));
  }
}
if (el(interchange.trailer, 2) !== el(interchange.header, 13)) fail('IEA02 differs from ISA13');
console.log(out.join('\n'));
