#include "bvh_root.h"

#include <cstdio>
#include <new>

#include "bvh_load.h"
#include "kv_file_name.h"
// Generated at build time from bvh_grammar.y and bvh_scanner.l.
#include "bvh_grammar.hpp"
#define YYSTYPE BVHSTYPE
#include "bvh_scanner.hpp"

namespace Kvat {

namespace Bvh {

void scannerFatal(const char* message) {
  std::fprintf(stderr, "%s\n", message);
  throw ScannerAbort(message);
}

void reportError(const char* message) { std::printf("ERROR: %s\n", message); }

// On Windows the text-mode read has already turned each CR LF into LF; folding
// again would also swallow a carriage return that stood before the pair.
#ifdef _WIN32
constexpr bool kRuntimeFoldsLineEnds = true;
#else
constexpr bool kRuntimeFoldsLineEnds = false;
#endif

std::size_t readLine(BvhLoad& load, char* buffer, std::size_t maxSize) {
  std::size_t n = 0;
  while (n < maxSize) {
    int c = std::getc(load.file);
    if (c == EOF) break;
    if (c == '\r' && !kRuntimeFoldsLineEnds) {
      const int next = std::getc(load.file);
      if (next == '\n') {
        c = '\n';
      } else if (next != EOF) {
        std::ungetc(next, load.file);
      }
    }
    buffer[n++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  if (n == 0 && std::ferror(load.file)) scannerFatal("input in flex scanner failed");
  return n;
}

}  // namespace Bvh

namespace Secne {

BvhRoot::BvhRoot() : m_pMotionList(new Motion::MotionList()) {
  m_pCurrent = m_pRoot->addChild(new Node("Root", new AttributeBvh()));
}

BvhRoot::~BvhRoot() = default;

void BvhRoot::setTopName(const std::string& name) { m_pRoot->setName(name); }

void BvhRoot::setOffset(double x, double y, double z) {
  if (auto* attr = dynamic_cast<AttributeBvh*>(m_pCurrent->attrib())) attr->setOffset(Vector3(x, y, z));
}

void BvhRoot::beginJoint(const std::string& name) {
  m_pCurrent = m_pCurrent->addChild(new Node(name, new AttributeBvh()));
}

void BvhRoot::endJoint() {
  if (m_pCurrent->parent()) m_pCurrent = m_pCurrent->parent();
}

void BvhRoot::addChannel(const std::string& name) {
  try {
    if (!m_pCurrentMotion) m_pCurrentMotion.reset(new Motion::Motion(m_pCurrent->name()));
    std::unique_ptr<Motion::Fx> fx(new Motion::Fx(name, new Motion::FxPlot(0)));
    m_vColumns.reserve(m_vColumns.size() + 1);
    Motion::FxPlot* plot = fx->function();
    m_pCurrentMotion->append(fx.release());
    m_vColumns.push_back(plot);  // cannot throw: room was reserved
  } catch (const std::bad_alloc&) {
    // No memory for one more channel: that channel is abandoned, the load goes on.
  }
}

void BvhRoot::commitChannels() {
  if (m_pCurrentMotion) m_pMotionList->append(m_pCurrentMotion.release());
}

void BvhRoot::addSample(double value) {
  if (m_iColumn >= 0 && static_cast<std::size_t>(m_iColumn) < m_vColumns.size())
    m_vColumns[m_iColumn]->appendSample(value);
  if (m_iColumn < INT32_MAX) ++m_iColumn;
}

void BvhRoot::endRow() { m_iColumn = 0; }

void BvhRoot::linkMotions() {
  std::fprintf(stderr, "Motions %d \n", static_cast<int>(m_pMotionList->count()));
  for (std::size_t i = 0; i < m_pMotionList->count(); ++i) {
    const Motion::Motion* motion = m_pMotionList->motion(i);
    if (!motion->name().empty()) std::fprintf(stderr, "%s ", motion->name().c_str());
    if (motion->count() == 0) {
      std::fputs("\n", stderr);
      continue;
    }
    std::fprintf(stderr, "Fx %d \n", static_cast<int>(motion->count()));
    for (std::size_t k = 0; k < motion->count(); ++k) std::fprintf(stderr, "%s\n", motion->fx(k)->name().c_str());
  }

  for (std::size_t i = 0; i < m_pMotionList->count(); ++i) {
    Motion::Motion* motion = m_pMotionList->motion(i);
    Node* node = m_pRoot->find(motion->name());
    if (!node) continue;
    if (auto* attr = dynamic_cast<AttributeBvh*>(node->attrib())) attr->setChannels(motion->fxList());
  }
}

namespace {

// Owns the scanner for one load, so that an early end never leaks it.
class Scanner {
 public:
  explicit Scanner(Bvh::BvhLoad& load) {
    if (bvhlex_init_extra(&load, &m_scanner) != 0) {
      m_scanner = nullptr;  // no memory: there is nothing to scan with
      return;
    }
    bvhset_in(load.file, m_scanner);
  }
  ~Scanner() {
    if (m_scanner) bvhlex_destroy(m_scanner);
  }
  Scanner(const Scanner&) = delete;
  Scanner& operator=(const Scanner&) = delete;
  yyscan_t get() const { return m_scanner; }

 private:
  yyscan_t m_scanner = nullptr;
};

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

BvhRoot* createBvhRoot(const char* fileName) {
  if (!fileName) return nullptr;
  std::unique_ptr<std::FILE, FileCloser> file(openFileUtf8(fileName, "r"));
  if (!file) return nullptr;

  std::unique_ptr<BvhRoot> root;
  try {
    root.reset(new BvhRoot());
    Bvh::BvhLoad load;
    load.root = root.get();
    load.file = file.get();
    load.line = 0;
    try {
      Scanner scanner(load);
      // The result (accepted, given up, stack full) does not matter: whatever
      // was built before a failure stays.
      if (scanner.get()) bvhparse(scanner.get(), &load);
    } catch (const std::exception&) {
      // A fatal scanner condition (already printed) or no memory: keep what was read.
    }
    std::fflush(stdout);
    root->linkMotions();
  } catch (const std::exception&) {
    // Not even the bare skeleton could be made.
    return nullptr;
  }
  return root.release();
}

}  // namespace Secne
}  // namespace Kvat
