# shellcheck shell=bash
# Fake adapters for private network and mount namespaces: veths that pass for
# devices, laid out as real sysfs. Source it; run the functions in a private
# mount namespace (unshare -nm), as root.

# Makes the directory of a device under /sys/devices, with its attributes,
# laid out on tmpfs over /sys/devices, /sys/class/net and /sys/bus (so with no
# PCI slot but those that `slot` lays out) as real sysfs is: for a private
# mount namespace.
device() { # path [attribute=value...]
    local directory=/sys/devices/$1 attribute
    mountpoint -q /sys/devices || mount -t tmpfs tmpfs /sys/devices
    mountpoint -q /sys/class/net || mount -t tmpfs tmpfs /sys/class/net
    mountpoint -q /sys/bus || mount -t tmpfs tmpfs /sys/bus
    mkdir -p "$directory"
    for attribute in "${@:2}"; do
        echo "${attribute#*=}" >"$directory/${attribute%%=*}"
    done
}

# Makes a veth NAME with address 02:00:00:00:01:NUMBER pass for an adapter of
# driver DRIVER (and device type DEVTYPE, port DEV_PORT) on the device at PATH
# below /sys/devices: its entry in the device's net/, linked from
# /sys/class/net and linking back to the device. The kernel gives it the next
# interface index.
adapter() { # name number path driver [devtype [dev_port]]
    local entry=/sys/devices/$3/net/$1 address index
    address=$(printf '02:00:00:00:01:%02x' "$2")
    ip link add "$1" address "$address" type veth peer name "peer$2"
    index=$(ip -o link show dev "$1" | cut -d : -f 1)
    device "$3" "uevent=DRIVER=$4"
    mkdir -p "$entry"
    ln -s "../../../${3##*/}" "$entry/device"
    ln -s "../../devices/$3/net/$1" "/sys/class/net/$1"
    printf 'INTERFACE=%s\nIFINDEX=%s\n%s' "$1" "$index" "${5:+DEVTYPE=$5$'\n'}" >"$entry/uevent"
    echo "$address" >"$entry/address"
    [ -z "${6:-}" ] || echo "$6" >"$entry/dev_port"
}

# Makes a PCI slot NAME, /sys/bus/pci/slots/NAME, holding the device at
# ADDRESS (domain:bus:device); after the adapters.
slot() { # name address
    mkdir -p "/sys/bus/pci/slots/$1"
    echo "$2" >"/sys/bus/pci/slots/$1/address"
}
