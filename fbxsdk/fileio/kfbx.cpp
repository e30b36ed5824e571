#include "fbxsdk/fileio/kfbx.h"

class KFile {};
class KEncryptedFile {};
class KFbxFieldList {};

KFbx::KFbx() = default;
KFbx::~KFbx() = default;
bool KFbx::ProjectOpen(const char*, bool, bool, KFbxHeaderInfo*) { return false; }
bool KFbx::ProjectOpenDirect(const char*, bool, bool, KFbxHeaderInfo*) { return false; }
bool KFbx::ProjectOpenMemory(const void*, size_t, bool, bool, KFbxHeaderInfo*) { return false; }
void KFbx::ProjectClose() {}
bool KFbx::IsOpen() const { return false; }
int64_t KFbx::GetSectionStart(int) const { return 0; }
int KFbx::GetSectionVersion(int) const { return 0; }
bool KFbx::SetPassword(const char*) { return false; }
bool KFbx::BeginField(const char*) { return false; }
void KFbx::EndField() {}
bool KFbx::EnterBlock() { return false; }
bool KFbx::LeaveBlock() { return false; }
int KFbx::GetBlockDepth() const { return 0; }
int KFbx::GetFieldCount() const { return 0; }
const char* KFbx::GetFieldName(int) const { return ""; }
int KFbx::GetFieldOccurrenceCount(const char*) const { return 0; }
int KFbx::GetValueCount() const { return 0; }
int KFbx::GetRemainingValueCount() const { return 0; }
char KFbx::GetValueType() const { return 0; }
char KFbx::GetValueClass() const { return 0; }
int KFbx::NextInt() { return 0; }
int64_t KFbx::NextInt64() { return 0; }
double KFbx::NextDouble() { return 0; }
char KFbx::NextChar() { return 0; }
KString KFbx::NextString() { return ""; }
bool KFbx::NextRaw(std::vector<uint8_t>&) { return false; }
int KFbx::FieldInt(const char*, int i) { return i; }
double KFbx::FieldDouble(const char*, double d) { return d; }
KString KFbx::FieldString(const char*, const char* p) { return p; }
