#include "tape/DataSum.h"

#include <openssl/evp.h>
#include <xxhash.h>

#include <new>

struct DataSum::State {
    XXH3_state_t* xxh = nullptr;
    EVP_MD_CTX* sha = nullptr;
    const EVP_MD* md = nullptr;
};

DataSum::DataSum() : state_(new State) {
    state_->xxh = XXH3_createState();
    state_->sha = EVP_MD_CTX_new();
    state_->md = EVP_sha256();
    if (state_->xxh == nullptr || state_->sha == nullptr || state_->md == nullptr) {
        XXH3_freeState(state_->xxh);
        EVP_MD_CTX_free(state_->sha);
        delete state_;
        throw std::bad_alloc();
    }
}

DataSum::~DataSum() {
    XXH3_freeState(state_->xxh);
    EVP_MD_CTX_free(state_->sha);
    delete state_;
}

void DataSum::Begin() {
    if (kind_ == SumKind::Xxh3_128) XXH3_128bits_reset(state_->xxh);
    // XXH3's state is reused as it is; OpenSSL may make SHA-256's anew.
    if (kind_ == SumKind::Sha256) EVP_DigestInit_ex(state_->sha, state_->md, nullptr);
}

void DataSum::Add(const void* data, std::size_t count) {
    if (kind_ == SumKind::Xxh3_128) XXH3_128bits_update(state_->xxh, data, count);
    if (kind_ == SumKind::Sha256) EVP_DigestUpdate(state_->sha, data, count);
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
        unsigned int length = 0;
        if (EVP_DigestFinal_ex(state_->sha, digest.bytes, &length) != 1 || length != 32) digest.kind = SumKind::None;
    }
}
