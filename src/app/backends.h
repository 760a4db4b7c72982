#pragma once
// The network, sound and their libraries come from modules loaded on first use: the window
// appears without them. A module that does not load makes its operations fail with the reason.
#include <memory>

namespace hb {

class AudioDevices;
class FtpClient;
class HttpClient;

std::unique_ptr<FtpClient> makeFtpClient(int port);
std::unique_ptr<HttpClient> makeHttpClient();
std::unique_ptr<AudioDevices> makeAudioDevices();

}  // namespace hb
