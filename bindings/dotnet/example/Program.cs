// Prints the primary wired Ethernet adapter's MAC address as primary-mac does.
using System;
using PrimaryMacAddress;

static class Program
{
    static int Main()
    {
        try
        {
            Console.Write(PrimaryMac.Get()); // null, nothing, when no adapter qualifies
            return 0;
        }
        catch (PrimaryMacException failure)
        {
            Console.Error.WriteLine("primary-mac: " + failure.Message);
            return 1;
        }
    }
}
