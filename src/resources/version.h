// Version of the driver package; every module of the package carries it.
#pragma once

#define KV_VERSION_MAJOR 1
#define KV_VERSION_MINOR 0
#define KV_VERSION_BUILD 0
#define KV_VERSION_PATCH 1
#define KV_VERSION_TEXT "1.0.0.1"
#define KV_COMPANY_TEXT "Zentari"
#define KV_PRODUCT_TEXT "Zentari TX-3390N series printer driver"
