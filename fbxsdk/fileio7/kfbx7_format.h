#pragma once
// Numbers of the 7.x FBX layout shared by our reader and our writer.

#include <cstddef>
#include <cstdint>

// Versions the 7.x reader and writer handle.
constexpr int kFbx7FirstVersion = 7100;
constexpr int kFbx7LastVersion = 7700;
// From this version on, record headers hold 64-bit words.
constexpr int kFbx7WideHeaderVersion = 7500;

// A record header: end offset, value count, value list length, then the
// name length byte; 32-bit words before 7500, 64-bit from it.
constexpr size_t kFbx7NarrowRecordHeader = 13;
constexpr size_t kFbx7WideRecordHeader = 25;
inline size_t KFbx7RecordHeaderSize(int iVersion) {
  return iVersion >= kFbx7WideHeaderVersion ? kFbx7WideRecordHeader : kFbx7NarrowRecordHeader;
}

// An array value: code, then element count, encoding and stored length
// (32 bits each), then the stored bytes.
constexpr size_t kFbx7ArrayHeader = 12;
constexpr uint32_t kFbx7ArrayRaw = 0;
// Bytes of one element of an array code: 'b' bool, 'f' float, 'i' 32-bit,
// 'd' double, 'l' 64-bit; 0 for any other code.
inline size_t KFbx7ArrayElementSize(char cType) {
  return cType == 'b' ? 1 : cType == 'f' || cType == 'i' ? 4 : cType == 'd' || cType == 'l' ? 8 : 0;
}
constexpr uint32_t kFbx7ArrayDeflated = 1;

// Arrays of this many bytes or more are stored deflated by our writer, as
// common writers do: below it the zlib header and checksum outweigh any gain.
constexpr size_t kFbx7DefaultCompressFrom = 128;

// The binary header is the 6.x one (27 bytes): magic, byte order, version.
constexpr char kFbx7BinaryMagic[] = "Quorvex FBX Binary  ";  // compared with its zero byte, in any case
constexpr size_t kFbx7BinaryHeaderSize = 27;
constexpr size_t kFbx7ByteOrderOffset = 22;
constexpr size_t kFbx7VersionOffset = 23;

// A binary file's footer: 144 bytes before its end rounded down to 16, the
// words distance (0) and version, then zeros, then these 16 bytes.
constexpr size_t kFbx7FooterBack = 144;
constexpr size_t kFbx7FooterMagicAt = 128;
constexpr uint8_t kFbx7FooterMagic[16] = {0xF8, 0x5A, 0x8C, 0x6A, 0xDE, 0xF5, 0xD9, 0x7E,
                                          0xEC, 0xE9, 0x0C, 0xE3, 0x75, 0x8F, 0x29, 0x0B};
