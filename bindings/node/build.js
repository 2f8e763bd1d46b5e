"use strict";
// Builds the addon when the package is installed, with this machine's C
// compiler ($CC, else cc) and pkg-config, against the headers of the node
// that runs the install (or those under npm's --nodedir): nothing is
// downloaded.
const { execFileSync } = require("node:child_process");
const fs = require("node:fs");
const path = require("node:path");

function fail(message) {
  console.error(`primary-mac: ${message}`);
  process.exit(1);
}

// A tool's output; its errors pass through, then `failure` ends the install.
function run(tool, args, failure) {
  try {
    return execFileSync(tool, args, { encoding: "utf8", stdio: ["ignore", "pipe", "inherit"] });
  } catch {
    fail(failure);
  }
}

const nodedir = process.env.npm_config_nodedir || path.join(path.dirname(process.execPath), "..");
const headers = path.join(nodedir, "include", "node");
if (!fs.existsSync(path.join(headers, "node_api.h"))) {
  fail(`no node_api.h in ${headers}: install this node's headers, or name the folder that holds include/node with npm install --nodedir=DIR`);
}
const library = run("pkg-config", ["--cflags", "--libs", "primary-mac"],
  "pkg-config finds no primary-mac: install the library's development files (libprimary-mac-dev)");
const compiler = process.env.CC || "cc";
fs.mkdirSync("build", { recursive: true });
run(compiler, ["-shared", "-fPIC", "-O2", "-Wall", "-Wextra", `-I${headers}`, "addon.c",
  "-o", "build/primary_mac.node", ...library.trim().split(/\s+/)],
  `${compiler} cannot build the addon (set CC to name another C compiler)`);
