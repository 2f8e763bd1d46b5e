"use strict";
// One round of bench/embed.sh in Node.js: CALLS calls of the package's get(),
// then SPAWNS runs of PROGRAM through execFileSync, reading its answer, as a
// Node.js licence check would do either. Prints for each way a line
// "Node.js<TAB>way<TAB>nanoseconds per answer", after checking that both
// ways give the same answer.
//
//     embed.js CALLS SPAWNS PROGRAM
const { execFileSync } = require("node:child_process");
const primaryMac = require("primary-mac");

// Nanoseconds per call of `answer`, each of which must give `expected`.
function perAnswer(times, answer, expected) {
  const start = process.hrtime.bigint();
  for (let time = 0; time < times; ++time) {
    if (answer() !== expected) throw new Error(`another answer than ${expected}`);
  }
  return (process.hrtime.bigint() - start) / BigInt(times);
}

const [calls, spawns] = process.argv.slice(2, 4).map(Number);
const program = process.argv[4];
const call = () => primaryMac.get() ?? "";
const spawn = () => execFileSync(program, { encoding: "utf8" });
const expected = call();
console.log(`Node.js\t\`primaryMac.get()\`\t${perAnswer(calls, call, expected)}`);
console.log(`Node.js\t\`execFileSync()\` of \`${program}\`, read its output\t${perAnswer(spawns, spawn, expected)}`);
