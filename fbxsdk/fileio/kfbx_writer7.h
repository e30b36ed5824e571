#pragma once
// Our writer of 7.x FBX files: the same fields as the 5.x/6.x writer takes
// (KFbxFieldSink), encoded as 7.x binary (record headers of 32-bit words
// before 7500, 64-bit from 7500; typed arrays, deflated from a size on) or
// 7.x ASCII (arrays written "*N { a: ... }"). Only the command line, the
// tests, the fuzzer and the benchmarks use it: the module reads 5.x/6.x.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fbxsdk/fileio/kfbx_field_sink.h"
#include "fbxsdk/fileio7/kfbx7_format.h"

class KFbxByteOut;

struct KFbx7WriteOptions {
  int m_iVersion = 7400;  // kFbx7FirstVersion .. kFbx7LastVersion
  bool m_bBinary = true;
  // Arrays of at least this many bytes are stored deflated, others raw;
  // a deflated array that would not save an eighth of its bytes is stored
  // raw too, unless m_bAlwaysDeflate (for tests and fuzz seeds).
  size_t m_uCompressFrom = kFbx7DefaultCompressFrom;
  bool m_bAlwaysDeflate = false;
};

// The encoders, into any byte destination. The binary sink writes the
// records of the file's top level; KFbxPutBinary7End closes it.
std::unique_ptr<KFbxFieldSink> KFbxMakeBinary7Sink(KFbxByteOut& xOut, const KFbx7WriteOptions& xOptions);
std::unique_ptr<KFbxFieldSink> KFbxMakeAscii7Sink(KFbxByteOut& xOut);
// The header (the 6.x binary header with the 7.x version), and the end: the
// top level's null record (13 or 25 bytes), padding to 16 and the footer
// (distance 0, the version, zeros, the footer magic).
void KFbxPutBinary7Header(KFbxByteOut& xOut, int iVersion);
void KFbxPutBinary7End(KFbxByteOut& xOut, int iVersion, uint64_t ullStart);
void KFbxPutAscii7Header(KFbxByteOut& xOut, int iVersion);

// A 7.x file written as its fields come, through a bounded buffer.
class KFbx7FileWriter {
 public:
  KFbx7FileWriter();
  ~KFbx7FileWriter();
  KFbx7FileWriter(const KFbx7FileWriter&) = delete;
  KFbx7FileWriter& operator=(const KFbx7FileWriter&) = delete;

  // False (with the reason in *pxError) for a version outside 7100..7700 or
  // a file that cannot be created.
  bool Open(const char* pszPath, const KFbx7WriteOptions& xOptions, std::string* pxError = nullptr);
  KFbxFieldSink& Fields();
  // False when anything failed on the way; the caller removes the file.
  bool Close(std::string* pxError = nullptr);

 private:
  struct Impl;
  std::unique_ptr<Impl> m_pxImpl;
};

// A tree of fields as the bytes of a 7.x file; empty (with the reason in
// *pxError) when it cannot be encoded.
std::string KFbx7WriteBytes(const std::vector<KFbxWriteField>& xTop, const KFbx7WriteOptions& xOptions,
                            std::string* pxError = nullptr);
