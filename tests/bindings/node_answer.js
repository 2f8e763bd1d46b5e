"use strict";
// Writes what example.js prints, then "|" and its exit status, the addon's
// processor and the library's version, to the file that its argument names:
// under Wine, Node's standard output on a pipe fails (EBADF).
const fs = require("fs");
const primaryMac = require("primary-mac");

let answer;
try {
  answer = `${primaryMac.get() ?? ""}|0`;
} catch (failure) {
  answer = `primary-mac: ${failure.message}|1`;
}
fs.writeFileSync(process.argv[2], `${answer} ${process.arch} ${primaryMac.version()}`);
