# The Debian changelog (packaging/changelog) as an RPM's %changelog: each
# entry's trailer line, "-- author  weekday, day month year time", becomes
# its heading, "* weekday month day year author - version-release", above its
# items. The release is the RPM's, passed as -v release=N.
/^[^ ]/ { version = $2; gsub(/[()]/, "", version); items = "" }
/^  \* / { items = items "- " substr($0, 5) "\n" }
/^    [^ ]/ { items = items "  " substr($0, 5) "\n" }
/^ -- / {
    split(substr($0, 5), trailer, "  ")
    split(trailer[2], date, /,? /)
    printf "* %s %s %s %s %s - %s-%s\n%s\n", date[1], date[3], date[2], date[4], trailer[1],
        version, release, items
}
