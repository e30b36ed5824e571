#include "draw_recorder.h"

namespace Boneplay {
namespace Host {

DrawRecorder::DrawRecorder(int view) : m_xAccess{view, 0, this, &DrawRecorder::setColor, &DrawRecorder::line} {}

void DrawRecorder::clear() {
  m_xColor = kDefaultColor;
  m_vxColors.clear();
  m_vxLines.clear();
}

void DrawRecorder::setColor(void* dispData, float rgba[4]) {
  auto* self = static_cast<DrawRecorder*>(dispData);
  if (!self || !rgba) return;
  self->m_xColor = Color{rgba[0], rgba[1], rgba[2], rgba[3]};
  try {
    self->m_vxColors.push_back(self->m_xColor);
  } catch (...) {
  }
}

void DrawRecorder::line(void* dispData, LWDVector a, LWDVector b, int csys) {
  auto* self = static_cast<DrawRecorder*>(dispData);
  if (!self || !a || !b) return;
  try {
    self->m_vxLines.push_back({{a[0], a[1], a[2]}, {b[0], b[1], b[2]}, csys, self->m_xColor});
  } catch (...) {
  }
}

}  // namespace Host
}  // namespace Boneplay
