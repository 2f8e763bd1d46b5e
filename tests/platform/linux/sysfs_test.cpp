// The Linux layer's classification, on a directory laid out like sysfs.
#include "platform/linux/sysfs.h"

#include <gtest/gtest.h>

#include <linux/if_arp.h>

#include "table_case.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct LinkCase {
    const char *name;
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

void PrintTo(const LinkCase &c, std::ostream *os) {
    *os << c.name;
}

class DescribeAdapterTest : public testing::TestWithParam<LinkCase> {};

TEST_P(DescribeAdapterTest, Classifies) {
    const LinkCase &c = GetParam();
    const std::vector<uint8_t> address = AddressBytes(c.address);
    const KernelLink link{c.interface_name, c.index, c.link_type, address.data(), address.size()};
    IP_ADAPTER_INFO record;
    memset(&record, 0x5A, sizeof record);

    ASSERT_EQ(DescribeAdapter(SYSFS_FIXTURE, link, record), c.listed);
    if (!c.listed)
        return;
    EXPECT_STREQ(record.Description, c.description);
    EXPECT_EQ(record.Type, c.type);
    EXPECT_EQ(record.Index, static_cast<uint32_t>(c.index));
    ASSERT_EQ(record.AddressLength, address.size());
    EXPECT_EQ(memcmp(record.Address, address.data(), address.size()), 0);
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
    // Software interfaces have no device.
    {"Bridge", "br0", 9, ARPHRD_ETHER, "02:42:ac:11:00:01", false, 0, nullptr},
    {"Veth", "veth0", 10, ARPHRD_ETHER, "0e:6a:2d:55:aa:01", false, 0, nullptr},
    {"Tun", "tun0", 11, ARPHRD_NONE, "", false, 0, nullptr},
    {"Loopback", "lo", 1, ARPHRD_LOOPBACK, "00:00:00:00:00:00", false, 0, nullptr},
    // The entry of that name is another interface's, or there is none.
    {"OtherIndex", "eth0", 9, ARPHRD_ETHER, "52:54:00:12:34:56", false, 0, nullptr},
    {"OtherAddress", "eth0", 2, ARPHRD_ETHER, "52:54:00:12:34:57", false, 0, nullptr},
    {"ShorterAddress", "eth0", 2, ARPHRD_ETHER, "52:54:00:12:34", false, 0, nullptr},
    {"NoEntry", "eth1", 2, ARPHRD_ETHER, "52:54:00:12:34:56", false, 0, nullptr},
    {"NameWalksTheTree", "../sysfs/eth0", 2, ARPHRD_ETHER, "52:54:00:12:34:56", false, 0, nullptr},
};
INSTANTIATE_TEST_SUITE_P(Sysfs, DescribeAdapterTest, testing::ValuesIn(kLinks), CaseName<LinkCase>);

TEST(DescribeAdapterTest, AddressLongerThanTheFieldIsCut) {
    const std::vector<uint8_t> address =
        AddressBytes("80:00:02:08:fe:80:00:00:00:00:00:00:00:02:c9:03:00:0a:0b:0c");
    const KernelLink link{"ib0", 12, ARPHRD_INFINIBAND, address.data(), address.size()};
    IP_ADAPTER_INFO record;
    ASSERT_TRUE(DescribeAdapter(SYSFS_FIXTURE, link, record));
    EXPECT_EQ(record.Type, 1u);
    ASSERT_EQ(record.AddressLength, 8u);
    EXPECT_EQ(memcmp(record.Address, address.data(), 8), 0);
}

} // namespace
