// OpenSSL's EVP makes its SHA-256 state anew at every start (an allocation
// per file); the plain SHA-256 functions keep it in a struct of ours and
// run the same code. They are marked deprecated from OpenSSL 3 on, so this
// file asks for the 1.1.1 interface, where they are not.
#define OPENSSL_API_COMPAT 0x10101000L

#include "tape/DataSum.h"

#include <openssl/sha.h>
#include <xxhash.h>

#include <new>

struct DataSum::State {
    XXH3_state_t* xxh = nullptr;
    SHA256_CTX sha{};
};

DataSum::DataSum() : state_(new State) {
    state_->xxh = XXH3_createState();
    if (state_->xxh == nullptr) {
        delete state_;
        throw std::bad_alloc();
    }
}

DataSum::~DataSum() {
    XXH3_freeState(state_->xxh);
    delete state_;
}

void DataSum::Begin() {
    if (kind_ == SumKind::Xxh3_128) XXH3_128bits_reset(state_->xxh);
    if (kind_ == SumKind::Sha256) SHA256_Init(&state_->sha);
}

void DataSum::Add(const void* data, std::size_t count) {
    if (kind_ == SumKind::Xxh3_128) XXH3_128bits_update(state_->xxh, data, count);
    if (kind_ == SumKind::Sha256) SHA256_Update(&state_->sha, data, count);
}

void DataSum::End(Digest& digest) {
    digest = Digest{};
    digest.kind = kind_;
    if (kind_ == SumKind::Xxh3_128) {
        XXH128_canonical_t canonical;
        XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(state_->xxh));
        static_assert(sizeof canonical.digest == 16);
        for (std::size_t i = 0; i < sizeof canonical.digest; ++i) digest.bytes[i] = canonical.digest[i];
    } else if (kind_ == SumKind::Sha256) {
        static_assert(sizeof digest.bytes >= SHA256_DIGEST_LENGTH);
        if (SHA256_Final(digest.bytes, &state_->sha) != 1) digest.kind = SumKind::None;
    }
}
