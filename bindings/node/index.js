"use strict";
// The addon prebuilt for this platform and processor, in the layout of
// prebuildify and node-gyp-build (prebuilds/<platform>-<arch>/), with the
// library linked in: nothing is built at install, and nothing else is needed.
const fs = require("fs");
const path = require("path");

const prebuilds = path.join(__dirname, "prebuilds");
const platform = `${process.platform}-${process.arch}`;
const supported = fs.readdirSync(prebuilds);
if (!supported.includes(platform)) {
  throw new Error(`primary-mac has no addon for ${platform}, only for ${supported.join(", ")}`);
}
module.exports = require(path.join(prebuilds, platform, "primary-mac.napi.node"));
