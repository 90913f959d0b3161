// The cipher of the packaged settings, written portably so that the packer (on any platform) and the
// tests produce exactly the bytes that the launcher's cryptographic provider reads.
//
// The launcher hashes a pass phrase's narrow bytes (no terminating NUL) with MD5 and derives an RC4 key
// with the Base provider's default length: 40 bits, i.e. the first 5 hash bytes followed by 11 zero
// salt bytes. RC4 is symmetric, so enciphering and deciphering are the same operation.
//
//   Bytes data = toUtf16Le(L"[Application]\r\nMain Class=a.Main\r\n");   // support/utf16.h
//   Bytes sealed = encipherSettings(data, "pass phrase");
//   decipherSettings(sealed, "pass phrase") == data;
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "support/bytes.h"

using Md5Digest = std::array<std::uint8_t, 16>;
using SettingsKey = std::array<std::uint8_t, 16>;

Md5Digest md5(const std::uint8_t* data, std::size_t size);
Md5Digest md5(const std::string& bytes);

// Applies the RC4 key stream of `key` to `data` in place.
void rc4(const std::uint8_t* key, std::size_t keySize, std::uint8_t* data, std::size_t size);

// The 16-byte RC4 key the Base provider derives from the MD5 hash of `passPhrase`.
SettingsKey deriveSettingsKey(const std::string& passPhrase);

Bytes encipherSettings(Bytes data, const std::string& passPhrase);
Bytes decipherSettings(Bytes data, const std::string& passPhrase);
