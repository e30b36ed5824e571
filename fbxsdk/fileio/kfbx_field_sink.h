#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fbxsdk/fileio/kfbx_writer.h"

// Where a writer's fields go as they are made: a field is begun, given its
// values, optionally a nested block (whose fields are begun and ended
// inside it) and ended. Two kinds take them: a tree of KFbxWriteField (for
// callers that change fields before writing, and for tests that lay out
// hostile files) and the encoders that write a file as the fields come, so
// that what a writer holds never grows with the file.
class KFbxFieldSink {
 public:
  virtual ~KFbxFieldSink() = default;

  // Opens a field in the block of the open field (which so gets a block), or
  // at the top level when none is open.
  virtual void Begin(const std::string& xName) = 0;
  // One more value of the open field; values come before its first child.
  virtual void Value(const KFbxWriteValue& xValue) = 0;
  // The open field has a nested block even if no field is begun in it.
  virtual void Block() = 0;
  virtual void End() = 0;

  // Typed values, for long lists such as keys.
  void Char(char c) { Value(KFbxWriteValue::Char(c)); }
  void Int(int32_t i) { Value(KFbxWriteValue::Int(i)); }
  void Int64(int64_t ll) { Value(KFbxWriteValue::Int64(ll)); }
  void Double(double d) { Value(KFbxWriteValue::Double(d)); }
  void String(const std::string& x) { Value(KFbxWriteValue::String(x)); }
  // A whole field with these values and no block.
  void Leaf(const std::string& xName, std::initializer_list<KFbxWriteValue> xValues);

  // The first thing that could not be written (a name too long, a value
  // the encoding cannot hold, a failed write); empty while all is well.
  // After a failure the rest is ignored.
  const std::string& Error() const { return m_xError; }
  bool Failed() const { return !m_xError.empty(); }

 protected:
  void Fail(const std::string& xWhy) {
    if (m_xError.empty()) m_xError = xWhy;
  }

 private:
  std::string m_xError;
};

// Builds a tree: the fields begun at the top level are appended to xTop.
class KFbxTreeSink : public KFbxFieldSink {
 public:
  explicit KFbxTreeSink(std::vector<KFbxWriteField>& xTop) : m_xTop(xTop) {}
  void Begin(const std::string& xName) override;
  void Value(const KFbxWriteValue& xValue) override;
  void Block() override;
  void End() override;

 private:
  std::vector<KFbxWriteField>& m_xTop;
  std::vector<KFbxWriteField*> m_xOpen;  // each the last child of the one before
};

// Hands a tree of fields to a sink, depth first through an explicit stack
// (tests write blocks nested far deeper than a call stack should go).
void KFbxEmitFields(const KFbxWriteField* pxFields, size_t uCount, KFbxFieldSink& xSink);
inline void KFbxEmitFields(const std::vector<KFbxWriteField>& xFields, KFbxFieldSink& xSink) {
  KFbxEmitFields(xFields.data(), xFields.size(), xSink);
}

// A file written as its fields come: the header when opened, one section
// (binary) or the whole text (ASCII) through Fields(), the footer when
// closed. Binary records are written with their header words zero and
// patched when the record ends, in a bounded buffer or, for a record begun
// before the last flush, in the file. Not for encrypted files, whose
// cipher needs the whole file: those go through KFbxWriteFile.
class KFbxFileWriter {
 public:
  KFbxFileWriter();
  ~KFbxFileWriter();
  KFbxFileWriter(const KFbxFileWriter&) = delete;
  KFbxFileWriter& operator=(const KFbxFileWriter&) = delete;

  // False (with the reason in *pxError) when the options ask for
  // encryption or the file cannot be created.
  bool Open(const char* pszPath, const KFbxWriteOptions& xOptions, std::string* pxError = nullptr);
  // The fields of the file; only between a successful Open and Close.
  KFbxFieldSink& Fields();
  // Ends the section and the file; false when anything failed on the way
  // (the file is then incomplete and the caller should remove it).
  bool Close(std::string* pxError = nullptr);
  // Bytes written so far.
  uint64_t Size() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_pxImpl;
};
