/**
 * The MAC address of the machine's primary wired Ethernet adapter, byte for
 * byte what the primary-mac program prints, such as "00-1A-2B-3C-4D-5E"; null
 * when no adapter qualifies.
 *
 * @throws {Error} with code "PRIMARY_MAC_FAILED" when the adapter query
 * fails: there is no answer. Its message is the library's cause.
 */
export function get(): string | null;

/** The library's version, such as "4.0.0". */
export function version(): string;
