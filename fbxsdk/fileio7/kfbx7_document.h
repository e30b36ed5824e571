#pragma once
// A 7.x FBX file parsed into records: each record has a name, values and
// nested records. Binary files keep their bytes and are read in place
// (arrays are inflated only when asked for); ASCII files are tokenised once,
// their arrays' elements kept beside the text.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One value. Scalars are decoded when the file is parsed; strings, raw
// values and arrays point at their bytes.
struct KFbx7Value {
  // 'Y', 'C', 'I', 'F', 'D', 'L', 'S', 'R', or an array: 'f', 'd', 'l',
  // 'i', 'b'. ASCII files give 'L' for integer tokens, 'D' for other
  // numbers and 'S' for strings and bare words; their arrays are 'l' when
  // every element is an integer, 'd' otherwise.
  char m_cType = 0;
  bool m_bArena = false;  // the bytes lie in the document's arena, not the file's
  uint32_t m_uEncoding = 0;
  uint64_t m_ullCount = 0;   // arrays: elements; 'S', 'R': bytes
  uint64_t m_ullStored = 0;  // arrays: bytes stored (deflated or raw)
  uint64_t m_ullAt = 0;      // where the bytes start
  int64_t m_llInt = 0;       // 'Y', 'C', 'I', 'L' (and 'F', 'D' truncated)
  double m_dReal = 0.0;      // 'F', 'D' (and the integers widened)

  bool IsArray() const;
  bool IsNumber() const;
};

// A file's bytes, read-only, kept alive by their owner (a buffer or a
// mapping of the file).
class KFbx7Bytes {
 public:
  KFbx7Bytes() = default;
  KFbx7Bytes(std::shared_ptr<const void> pxOwner, const uint8_t* pData, size_t uSize)
      : m_pxOwner(std::move(pxOwner)), m_pData(pData), m_uSize(uSize) {}
  explicit KFbx7Bytes(std::vector<uint8_t> xBytes);
  const uint8_t* data() const { return m_pData; }
  size_t size() const { return m_uSize; }
  uint8_t operator[](size_t i) const { return m_pData[i]; }

 private:
  std::shared_ptr<const void> m_pxOwner;
  const uint8_t* m_pData = nullptr;
  size_t m_uSize = 0;
};

class KFbx7Document {
 public:
  // The version of a 7.x file's first bytes: the binary header's version or
  // the ASCII first line's ("; FBX 7.4.0 project file"); 0 when the bytes
  // are no FBX header of version 7000 or later.
  static int SniffVersion(const uint8_t* pBytes, size_t uSize, bool* pbBinary = nullptr);

  // Parses a whole file (the document keeps the bytes). False with the
  // reason in xWhy; the document is then empty.
  bool Parse(KFbx7Bytes xBytes, std::string& xWhy);
  bool Parse(std::vector<uint8_t> xBytes, std::string& xWhy) { return Parse(KFbx7Bytes(std::move(xBytes)), xWhy); }

  int Version() const { return m_iVersion; }
  bool IsBinary() const { return m_bBinary; }
  // Binary files: the version the footer gives, 0 without a footer.
  int FooterVersion() const { return m_iFooterVersion; }

  // Records by index; 0 is the top level, whose children are the file's
  // top-level records. -1 ends a list.
  static constexpr int kTop = 0;
  int RecordCount() const { return static_cast<int>(m_xRecords.size()); }
  int FirstChild(int iRecord) const { return m_xRecords[iRecord].m_iFirstChild; }
  int NextSibling(int iRecord) const { return m_xRecords[iRecord].m_iNextSibling; }
  std::string_view Name(int iRecord) const;
  // The first child of that name, -1 when none.
  int Child(int iRecord, std::string_view xName) const;
  int ValueCount(int iRecord) const { return static_cast<int>(m_xRecords[iRecord].m_uValueCount); }
  // Value i of a record; a value past the last reads as none (type 0).
  const KFbx7Value& Value(int iRecord, int i) const;

  // A string or raw value's bytes (empty for other values).
  std::string_view Text(const KFbx7Value& xValue) const;

  // An array's elements converted to the type asked for. False with the
  // reason when the value is no array or its bytes cannot be inflated to
  // exactly the declared size.
  bool Int64s(const KFbx7Value& xValue, std::vector<int64_t>& xOut, std::string& xWhy) const;
  bool Int32s(const KFbx7Value& xValue, std::vector<int32_t>& xOut, std::string& xWhy) const;
  bool Floats(const KFbx7Value& xValue, std::vector<float>& xOut, std::string& xWhy) const;
  bool Doubles(const KFbx7Value& xValue, std::vector<double>& xOut, std::string& xWhy) const;
  // The 32-bit words of a float or integer array as stored (a float
  // array's bit patterns, which may pack other data); ASCII numbers as the
  // bits of the float they read as.
  bool Words(const KFbx7Value& xValue, std::vector<uint32_t>& xOut, std::string& xWhy) const;

  // The parsers fill these (kfbx7_binary_parse.cpp, kfbx7_ascii_parse.cpp).
  struct Record {
    uint64_t m_ullNameAt = 0;
    uint32_t m_uNameLength = 0;
    bool m_bNameInArena = false;
    uint32_t m_uFirstValue = 0;
    uint32_t m_uValueCount = 0;
    int m_iFirstChild = -1;
    int m_iNextSibling = -1;
    int m_iLastChild = -1;
  };

 private:
  friend class KFbx7BinaryParser;
  friend class KFbx7AsciiParser;

  // A new record appended to iParent's children.
  int AddRecord(int iParent);
  // The element bytes of an array, inflated when stored deflated.
  bool ElementBytes(const KFbx7Value& xValue, std::vector<uint8_t>& xScratch, const uint8_t*& pElements,
                    std::string& xWhy) const;
  template <class T>
  bool Convert(const KFbx7Value& xValue, std::vector<T>& xOut, std::string& xWhy) const;

  KFbx7Bytes m_xBytes;            // the file
  std::vector<uint8_t> m_xArena;  // ASCII: arrays' elements, 8 bytes each
  // Inflated elements of the array read last: one buffer serves every
  // array, so reading thousands of curves does not map and unmap memory
  // for each.
  mutable std::vector<uint8_t> m_xScratch;
  std::vector<Record> m_xRecords;
  std::vector<KFbx7Value> m_xValues;
  int m_iVersion = 0;
  int m_iFooterVersion = 0;
  bool m_bBinary = false;
};
