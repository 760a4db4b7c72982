// The module of the password hash: libsodium loads with it, when a password is set or typed.
#include <QByteArray>

#include <sodium.h>

namespace {

bool sodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

}  // namespace

// Argon2id in the string form that carries its parameters; empty when it cannot be made.
extern "C" __attribute__((visibility("default"))) QByteArray hengbiHashPassword(
    const QByteArray& bytes) {
    char out[crypto_pwhash_STRBYTES];
    if (!sodiumReady() ||
        crypto_pwhash_str(out, bytes.constData(), static_cast<unsigned long long>(bytes.size()),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        return {};
    return QByteArray(out);
}

extern "C" __attribute__((visibility("default"))) bool hengbiPasswordMatches(
    const QByteArray& hash, const QByteArray& bytes) {
    return sodiumReady() &&
           crypto_pwhash_str_verify(hash.constData(), bytes.constData(),
                                    static_cast<unsigned long long>(bytes.size())) == 0;
}
