// Prints the primary wired Ethernet adapter's MAC address as primary-mac does.
const primaryMac = require("primary-mac");

try {
  process.stdout.write(primaryMac.get() ?? ""); // nothing when no adapter qualifies
} catch (failure) {
  console.error(`primary-mac: ${failure.message}`);
  process.exitCode = 1;
}
