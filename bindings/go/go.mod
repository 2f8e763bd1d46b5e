module primarymac/v3

go 1.19
