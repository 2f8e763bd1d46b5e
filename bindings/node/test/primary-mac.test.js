"use strict";
// The package against the program's answer in the same place, which
// tests/bindings/bindings_test.sh runs it in and passes in the environment.
const assert = require("node:assert");
const { execFileSync } = require("node:child_process");
const test = require("node:test");
const primaryMac = require("primary-mac");

const expected = process.env.PRIMARY_MAC_EXPECTED_OUTCOME;
const harness = !expected && "tests/bindings/bindings_test.sh runs this with the program's answer";

test("answers as the program", { skip: harness }, () => {
  if (expected === "failed") {
    assert.throws(primaryMac.get, {
      code: "PRIMARY_MAC_FAILED",
      message: process.env.PRIMARY_MAC_EXPECTED_FAILURE,
    });
  } else {
    assert.strictEqual(primaryMac.get(), process.env.PRIMARY_MAC_EXPECTED_MAC || null);
  }
});

test("the library's version", { skip: harness }, () => {
  assert.strictEqual(primaryMac.version(), process.env.PRIMARY_MAC_EXPECTED_VERSION);
});

// Once sysfs is back the query succeeds, with nothing of the failure before.
// It fails first, so /sys is the case's tmpfs, never the machine's sysfs.
test("a failure leaves nothing behind", { skip: expected !== "failed" && "runs where the query fails" }, () => {
  assert.throws(primaryMac.get);
  execFileSync("umount", ["/sys"]);
  assert.strictEqual(primaryMac.get(), process.env.PRIMARY_MAC_ANSWER_UNDER_SYSFS || null);
});

// Anywhere else the package says so as it loads, with the platforms it has.
test("no addon for the platform: an Error naming it and those with one", () => {
  const index = require.resolve("primary-mac");
  const { platform } = process;
  delete require.cache[index];
  Object.defineProperty(process, "platform", { value: "aix" });
  try {
    assert.throws(() => require(index), {
      message: `primary-mac has no addon for aix-${process.arch}, only for linux-arm64, linux-x64, win32-ia32, win32-x64`,
    });
  } finally {
    Object.defineProperty(process, "platform", { value: platform });
  }
});
