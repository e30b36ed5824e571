#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fbxsdk/core/kerror.h"
#include "fbxsdk/core/kstring.h"
#include "fbxsdk/fileio/kfbx_value_walker.h"

class KFile;
class KEncryptedFile;
class KFbxFieldList;
class KFbxAsciiBlockEnds;

// What the header extension of a file gives when the caller asks for it.
struct KFbxHeaderInfo {
  KString m_xCameraName, m_xResolutionMode;
  double m_dResolutionW = 0, m_dResolutionH = 0;
  bool m_bResolutionAvailable = false;
  int m_aiTimeStamp[7] = {};  // year, month, day, hour, minute, second, millisecond
  bool m_bTimeStampAvailable = false;
  KString m_xCreator;
  bool m_bFlagPLE = false;
};

// Reading side of the FBX file container: opens a binary, ASCII or encrypted
// FBX file, checks its header and version, finds its sections and hands out
// its content as named fields with values and nested blocks.
//
// Every offset, length and count read from the file is checked against the
// file's size and the enclosing record before it is used; a file that breaks
// a rule fails the open (or the block being entered) with eFILE_CORRUPTED.
class KFbx {
 public:
  enum EError {
    eFILE_CORRUPTED = 0,
    eFILE_VERSION_NOT_SUPPORTED_YET,
    eFILE_VERSION_NOT_SUPPORTED_ANYMORE,
    eFILE_NOT_OPENED,
    eFILE_NOT_CREATED,
    eDIRECTORY_NOT_CREATED,
    eCRC_CHECK_FAILED,
    eNONEXISTENT_SECTION,
    eOPERATION_CANCELED,
    eCOUNT_ERROR,
    eINVALID_DATA,
    eNO_DISK_SPACE,
    eREAD_ERROR,
    eERROR_COUNT
  };

  KFbx();
  ~KFbx();
  KFbx(const KFbx&) = delete;
  KFbx& operator=(const KFbx&) = delete;

  // Opens a file for reading: ".fbx" is appended to a name without that
  // extension, a ".fbd" project folder beside it is read instead when it
  // exists, and the header is checked strictly. bCheckCRC verifies the
  // checksum of encrypted files; bFinalCheck is accepted and has no effect.
  // False with the error state set when the file cannot be read.
  bool ProjectOpen(const char* pszPath, bool bCheckCRC = false, bool bFinalCheck = false,
                   KFbxHeaderInfo* pxInfo = nullptr);
  // Second open, for take files: the path is used as it is and a file whose
  // header is not recognised is read as ASCII version 1000. Opened read-only.
  bool ProjectOpenDirect(const char* pszPath, bool bCheckCRC = false, bool bFinalCheck = false,
                         KFbxHeaderInfo* pxInfo = nullptr);
  // ProjectOpen over bytes in memory (copied); the path shown in messages is
  // "<memory>".
  bool ProjectOpenMemory(const void* pData, size_t nSize, bool bCheckCRC = false, bool bFinalCheck = false,
                         KFbxHeaderInfo* pxInfo = nullptr);
  void ProjectClose();
  bool IsOpen() const;

  int GetFileVersionNumber() const { return m_iVersion; }
  bool IsBinary() const { return m_bBinary; }
  bool IsBigEndian() const { return m_bBigEndian; }
  bool IsEncrypted() const { return m_bEncrypted; }
  bool IsNewFormat() const { return m_iVersion >= 2000; }
  const char* GetPath() const { return m_xPath; }
  const char* GetFolder() const { return m_xFolder; }
  const char* GetProjectName() const { return m_xProjectName; }

  // Section table: start offset and version of each section of a binary
  // file: the first section, then the others as their footers are found
  // from the end of the file backwards. A footer that is missing, damaged or
  // points nowhere a section can start ends the walk; it never fails the
  // open. An ASCII file has one section. Empty after a failed open, except
  // for a refused version: then one section of that version.
  int GetSectionCount() const { return static_cast<int>(m_xSectionStart.size()); }
  int64_t GetSectionStart(int i) const;
  int GetSectionVersion(int i) const;

  // Encrypted files: checks the password and, when it is right, reads the
  // first section's top level (until then only the header extension is
  // there). False for a file that is not encrypted, and for a wrong
  // password (code eINVALID_DATA, "Wrong password for <path>").
  bool SetPassword(const char* pszPassword);
  bool IsPasswordSet() const { return m_bPasswordSet; }

  KErrorState& GetError() { return m_xError; }
  const KErrorState& GetError() const { return m_xError; }

  // Fields of the current list. After a successful open the current list is
  // the first section's top level.
  // Makes the next unread occurrence of a field current; false when absent
  // or all its occurrences are used.
  bool BeginField(const char* pszName);
  // Marks the current occurrence used.
  void EndField();
  // Parses the current occurrence's nested block and makes it the current
  // list; false when there is none, or (code 0) when it cannot be parsed.
  bool EnterBlock();
  // Back to the parent list; false at the top level.
  bool LeaveBlock();
  int GetBlockDepth() const;

  int GetFieldCount() const;              // distinct names in the current list
  const char* GetFieldName(int i) const;  // in file order of first appearance
  int GetFieldOccurrenceCount(const char* pszName) const;

  // Values of the current occurrence (0 without one).
  int GetValueCount() const;
  int GetRemainingValueCount() const;
  // Type of the next value: its code in binary files ('C', 'I', 'F', 'D',
  // 'L', 'S', 'R'), always 'S' in ASCII files, '\0' when none is left.
  char GetValueType() const;
  // ASCII files: the token class of the next value, 'I' integer, 'D' real,
  // 'C' a single character, 'S' anything else; binary files as GetValueType.
  char GetValueClass() const;

  // Typed reads of the next value; an absent value reads as 0 / empty.
  int NextInt();
  int64_t NextInt64();
  double NextDouble();
  char NextChar();
  KString NextString();
  bool NextRaw(std::vector<uint8_t>& xOut);  // false for ASCII or a non-raw value

  // Bulk reads of long value lists: the current occurrence's values not
  // read yet (none without an occurrence), walked and typed in order with no
  // call per value; ReadUpTo moves the value cursor to where a walk stands.
  KFbxValueWalker RemainingValues() const;
  void ReadUpTo(const KFbxValueWalker& xWalker);

  // One-value fields by name: begin, read, end; the default when absent.
  int FieldInt(const char* pszName, int iDefault = 0);
  double FieldDouble(const char* pszName, double dDefault = 0.0);
  KString FieldString(const char* pszName, const char* pszDefault = "");

 private:
  bool Open(const char* pszPath, bool bDirect, bool bCheckCRC, KFbxHeaderInfo* pxInfo);
  bool OpenFrom(std::unique_ptr<KFile> xFile, bool bStrict, bool bCheckCRC, KFbxHeaderInfo* pxInfo);
  bool ReadHeader(bool bStrict);
  bool ReadAsciiHeader();
  bool ReadFirstBinaryRecord();
  bool ReadHeaderExtension(KFbxHeaderInfo* pxInfo);
  void ReadHeaderInfo(int iHeaderVersion, KFbxHeaderInfo& xInfo);
  bool CheckVersion();
  bool SetUpEncryption(bool bCheckCRC);
  void ReadSections();
  bool ParseTopLevel();
  bool Fail(int iCode, const std::string& xDetail);
  bool Corrupted(const std::string& xWhy);
  KFile& File() const;
  KFbxFieldList* List() const { return m_xLists.empty() ? nullptr : m_xLists.back().get(); }
  KFbxValueWalker TakeValue();
  KFbxAsciiBlockEnds& AsciiBlockEnds();

  KErrorState m_xError;
  std::unique_ptr<KFile> m_xPlainFile;
  std::unique_ptr<KEncryptedFile> m_xEncryptedFile;
  // The top level first, then one list per entered block; the last is current.
  std::vector<std::unique_ptr<KFbxFieldList>> m_xLists;
  // ASCII files: the ends of the blocks skipped so far (made on first use).
  std::unique_ptr<KFbxAsciiBlockEnds> m_xAsciiBlockEnds;
  KString m_xPath, m_xFolder, m_xProjectName;
  int m_iVersion = 0;
  bool m_bBinary = false;
  bool m_bBigEndian = false;
  bool m_bEncrypted = false;
  bool m_bPasswordSet = false;
  int64_t m_llBodyStart = 0;  // where the first section's top level starts
  int64_t m_llHeaderEnd = 0;  // binary: end of the header-extension record (0: none)
  std::vector<int64_t> m_xSectionStart;
  std::vector<int> m_xSectionVersion;
};
