module primarymac/v4

go 1.19
