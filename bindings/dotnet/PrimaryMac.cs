// The MAC address of the machine's primary wired Ethernet adapter, byte for
// byte what the primary-mac program prints, from the primary-mac C library
// (primary-mac.dll on Windows, libprimary-mac.so on Linux).
using System;
using System.Runtime.InteropServices;
using System.Text;

namespace PrimaryMacAddress
{
    /// <summary>The primary wired Ethernet adapter's MAC address.</summary>
    public static class PrimaryMac
    {
        // From primary-mac.h.
        const int PRIMARY_MAC_FOUND = 1;
        const int PRIMARY_MAC_NO_ADAPTER = 0;
        const int PRIMARY_MAC_TEXT_SIZE = 24;
        const int PRIMARY_MAC_FAILURE_SIZE = 256;

        [DllImport("primary-mac", CallingConvention = CallingConvention.Cdecl)]
        static extern int primary_mac_get(byte[] mac, UIntPtr macSize, byte[] failure, UIntPtr failureSize);

        [DllImport("primary-mac", CallingConvention = CallingConvention.Cdecl)]
        static extern IntPtr primary_mac_version();

        /// <summary>
        /// Scans the machine's network adapters and returns the address, such as
        /// "00-1A-2B-3C-4D-5E", or null when no adapter qualifies (the program prints
        /// nothing). Any number of threads may call at once.
        /// </summary>
        /// <exception cref="PrimaryMacException">The adapter query failed.</exception>
#if __MonoCS__ // mono's mcs knows no nullable annotations
        public static string Get()
#else
        public static string? Get()
#endif
        {
            var mac = new byte[PRIMARY_MAC_TEXT_SIZE];
            var failure = new byte[PRIMARY_MAC_FAILURE_SIZE];
            switch (primary_mac_get(mac, (UIntPtr)mac.Length, failure, (UIntPtr)failure.Length))
            {
            case PRIMARY_MAC_FOUND:
                return Text(mac);
            case PRIMARY_MAC_NO_ADAPTER:
                return null;
            default: // PRIMARY_MAC_FAILED
                throw new PrimaryMacException(Text(failure));
            }
        }

        /// <summary>The C library's version, such as "4.0.0".</summary>
        public static string Version()
        {
            return Marshal.PtrToStringAnsi(primary_mac_version()) ?? "";
        }

        // The NUL-terminated text in a buffer the library filled.
        static string Text(byte[] buffer)
        {
            int end = Array.IndexOf(buffer, (byte)0);
            return Encoding.UTF8.GetString(buffer, 0, end < 0 ? buffer.Length : end);
        }
    }

    /// <summary>
    /// A failed query: there is no answer, which is not "no adapter" (the machine may
    /// well have one). The message is the library's cause, such as
    /// "cannot list network adapters: ...".
    /// </summary>
    public sealed class PrimaryMacException : Exception
    {
        /// <summary>A failed query, with the library's cause as its message.</summary>
        public PrimaryMacException(string cause) : base(cause)
        {
        }
    }
}
