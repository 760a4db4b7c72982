// The module of the network back-ends: libcurl and its libraries (the Internet functions on
// Windows) load with it.
#include "exchange/ftp_client.h"
#include "extras/http_client.h"

extern "C" __attribute__((visibility("default"))) hb::FtpClient* hengbiCreateFtpClient(int port) {
    return new hb::SystemFtpClient(port);
}

extern "C" __attribute__((visibility("default"))) hb::HttpClient* hengbiCreateHttpClient() {
    return new hb::SystemHttpClient;
}
