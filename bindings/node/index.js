"use strict";
// The addon that the install step built (build.js).
module.exports = require("./build/primary_mac.node");
