// The Linux layer's sysfs reading, on a fixture tree laid out like /sys: its
// class/net entries are links into its devices tree, as on a real machine,
// and bus/pci/slots lists two slots.
#include "platform/linux/sysfs.h"

#include <gtest/gtest.h>

#include <linux/if_arp.h>

#include "platform/linux/adapter_record.h"
#include "platform/linux/hardware_order.h"
#include "table_case.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct LinkCase : NamedCase {
    const char *interface_name;
    int index;
    unsigned short link_type;
    const char *address; // "52:54:00:12:34:56"
    bool listed;
    uint32_t type;
    const char *description;
};

std::vector<uint8_t> AddressBytes(const char *text) {
    std::vector<uint8_t> bytes;
    for (char *end; *text != '\0'; text = *end == ':' ? end + 1 : end)
        bytes.push_back(static_cast<uint8_t>(strtoul(text, &end, 16)));
    return bytes;
}

class AdapterEntryTest : public testing::TestWithParam<LinkCase> {};

// Listed: a device that is no virtual function, and an entry that is the
// interface's own; then described.
TEST_P(AdapterEntryTest, Classifies) {
    const LinkCase &c = GetParam();
    const std::vector<uint8_t> address = AddressBytes(c.address);
    KernelLink link;
    link.name = c.interface_name;
    link.index = c.index;
    link.type = c.link_type;
    link.address = {address.data(), address.size()};
    SysfsPath entry;
    HardwareKey key;
    IP_ADAPTER_INFO record;
    memset(&record, 0x5A, sizeof record);
    const bool listed = EntryPath(entry, SYSFS_FIXTURE, c.interface_name) &&
                        ReadHardwareKey(SYSFS_FIXTURE, entry, link, link.address, key) &&
                        DescribeAdapter(entry, link, link.address, record);
    ASSERT_EQ(listed, c.listed);
    if (!listed)
        return;
    EXPECT_STREQ(record.Description, c.description);
    EXPECT_EQ(record.Type, c.type);
    ASSERT_EQ(record.AddressLength, std::min<size_t>(address.size(), 8));
    EXPECT_EQ(memcmp(record.Address, address.data(), record.AddressLength), 0);
}

const LinkCase kLinks[] = {
    {"Virtio", "eth0", 2, ARPHRD_ETHER, "52:54:00:12:34:56", true, 6, "virtio_net"},
    {"PciNic", "enp3s0", 3, ARPHRD_ETHER, "00:1b:21:0a:0b:0c", true, 6, "e1000e"},
    {"WiredNicNamedWifi", "wifi0", 13, ARPHRD_ETHER, "00:1b:21:aa:bb:cc", true, 6, "igb"},
    {"WlanByPhy", "wlp2s0", 4, ARPHRD_ETHER, "a4:c3:f0:11:22:33", true, 71, "wlan, iwlwifi"},
    {"WlanByWirelessEntry", "wlan1", 5, ARPHRD_ETHER, "00:c0:ca:44:55:66", true, 71, "rt2800usb"},
    {"BluetoothPanDriverOfParent", "bnep0", 6, ARPHRD_ETHER, "00:1a:7d:da:71:13", true, 6,
     "bluetooth, btusb"},
    {"UsbGadget", "usb0", 7, ARPHRD_ETHER, "02:11:22:33:44:55", true, 6, "rndis_host"},
    {"MobileBroadband", "wwan0", 8, ARPHRD_ETHER, "02:50:f3:00:00:01", true, 243, "wwan, qmi_wwan"},
    {"InfinibandAddressCut", "ib0", 12, ARPHRD_INFINIBAND,
     "80:00:02:08:fe:80:00:00:00:00:00:00:00:02:c9:03:00:0a:0b:0c", true, 1, "mlx4_core"},
    // Software interfaces have no device.
    {"Bridge", "br0", 9, ARPHRD_ETHER, "02:42:ac:11:00:01", false, 0, nullptr},
    {"Veth", "veth0", 10, ARPHRD_ETHER, "0e:6a:2d:55:aa:01", false, 0, nullptr},
    {"Tun", "tun0", 11, ARPHRD_NONE, "", false, 0, nullptr},
    {"Loopback", "lo", 1, ARPHRD_LOOPBACK, "00:00:00:00:00:00", false, 0, nullptr},
    // An SR-IOV virtual function: a guest's address.
    {"VirtualFunction", "ens1v0", 24, ARPHRD_ETHER, "02:00:00:00:00:18", false, 0, nullptr},
    // The entry of that name is another interface's, or there is none.
    {"OtherIndex", "eth0", 9, ARPHRD_ETHER, "52:54:00:12:34:56", false, 0, nullptr},
    {"OtherAddress", "eth0", 2, ARPHRD_ETHER, "52:54:00:12:34:57", false, 0, nullptr},
    {"ShorterAddress", "eth0", 2, ARPHRD_ETHER, "52:54:00:12:34", false, 0, nullptr},
    {"NoEntry", "eth1", 2, ARPHRD_ETHER, "52:54:00:12:34:56", false, 0, nullptr},
    {"NameWalksTheTree", "../net/eth0", 2, ARPHRD_ETHER, "52:54:00:12:34:56", false, 0, nullptr},
};
INSTANTIATE_TEST_SUITE_P(Sysfs, AdapterEntryTest, testing::ValuesIn(kLinks), CaseName<LinkCase>);

// Two fixture adapters, `first` before `second` in hardware order although
// the kernel registered `second` first.
struct OrderCase : NamedCase {
    const char *first;
    const char *second;
};

class HardwareOrderTest : public testing::TestWithParam<OrderCase> {};

// The key of a fixture adapter, which answers with its address.
HardwareKey FixtureKey(const char *name, int index) {
    std::string text;
    std::ifstream(std::string(SYSFS_FIXTURE "/class/net/") + name + "/address") >> text;
    static std::vector<uint8_t> addresses[2];
    std::vector<uint8_t> &address = addresses[index - 1] = AddressBytes(text.c_str());
    KernelLink link;
    link.name = name;
    link.index = index;
    link.address = {address.data(), address.size()};
    SysfsPath entry;
    HardwareKey key;
    EXPECT_TRUE(EntryPath(entry, SYSFS_FIXTURE, name) &&
                ReadHardwareKey(SYSFS_FIXTURE, entry, link, link.address, key))
        << name;
    return key;
}

TEST_P(HardwareOrderTest, FirstComesFirst) {
    HardwareKey first = FixtureKey(GetParam().first, 2);
    HardwareKey second = FixtureKey(GetParam().second, 1);
    PciSlots slots;
    slots.sysfs_root = SYSFS_FIXTURE;
    EXPECT_TRUE(InHardwareOrder(first, second, slots));
    EXPECT_FALSE(InHardwareOrder(second, first, slots));
}

const OrderCase kOrders[] = {
    // Removability: built in, then hard-wired USB (behind a root hub that
    // says "unknown"), then removable, or a port that a hub does not
    // describe ("unknown").
    {"BuiltInBeforeFixedUsb", "enp3s0", "bmc0"},
    {"FixedUsbBeforeRemovable", "bmc0", "dongle2"},
    {"FixedUsbBeforeUnknown", "bmc0", "dongle1"},
    // A universally administered (burned-in) address before a local one: a
    // USB Ethernet adapter before a tethered phone on a lower bus.
    {"LocalAfterUniversal", "dongle10", "usb0"},
    // The firmware's number (acpi_index, else index; a virtio device's from
    // its PCI function), ascending, before the path; numbers over 65535 are
    // no numbers.
    {"AcpiIndexBeforeEarlierPath", "eno1", "enp0s9"},
    {"SmbiosIndex", "eno2", "enp0s9"},
    {"LowerNumberFirst", "eno1", "eno2"},
    {"VirtioFunctionsNumber", "eth0", "enp0s9"},
    {"NumberOutOfRange", "enp0s9", "ens16"},
    // Not in a PCI slot, then in one: the slot 0000:20:00 holds a bridge
    // above dock0; 0000:30:00 the card whose second function is ens5f1.
    {"InSlotAfterNotThroughAnAncestor", "wifi0", "dock0"},
    {"SlotsComparedWithoutTheFunction", "wifi0", "ens5f1"},
    // The path: component by component, hex digit runs as numbers.
    {"PathAcrossABridge", "enp3s0", "wifi0"},
    {"UsbPortsAsNumbers", "dongle2", "dongle10"},
    {"PciSlotsAsHex", "enp0s9", "enp0s10"},
    // Ports of one PCI function.
    {"DevPort", "ens1", "ens1d1"},
};
INSTANTIATE_TEST_SUITE_P(Sysfs, HardwareOrderTest, testing::ValuesIn(kOrders), CaseName<OrderCase>);

// Two interfaces alike in every fact of the hardware: the kernel's index,
// lower first, breaks the tie.
TEST(HardwareOrderTieTest, LowerInterfaceIndexFirst) {
    HardwareKey lower = FixtureKey("ens1", 1);
    HardwareKey higher = FixtureKey("ens1", 2);
    PciSlots slots;
    slots.sysfs_root = SYSFS_FIXTURE;
    EXPECT_TRUE(InHardwareOrder(lower, higher, slots));
    EXPECT_FALSE(InHardwareOrder(higher, lower, slots));
}

} // namespace
