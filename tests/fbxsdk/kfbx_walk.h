#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "fbxsdk/fileio/kfbx.h"
#include "fbxsdk/fileio/kfbx_writer.h"

// Shared by the container's tests, its fuzz target and its benchmark.
namespace fileio_test {

inline KFbxWriteField HeaderExtension(int iVersion) {
  KFbxWriteField xHeader("FBXHeaderExtension");
  xHeader.Child("FBXHeaderVersion", {KFbxWriteValue::Int(1003)});
  xHeader.Child("FBXVersion", {KFbxWriteValue::Int(iVersion)});
  return xHeader;
}

// Reads every field and value of the current list and its nested blocks;
// returns the number of values seen. With bEveryRead each value is read
// with each typed read in turn (the occurrence's cursor rewinds when it is
// begun again); otherwise once, by its type. Walks with an explicit stack.
inline size_t WalkEverything(KFbx& xFbx, bool bEveryRead = true) {
  size_t uValues = 0;
  std::vector<uint8_t> xRaw;
  std::vector<int> xStack(1, 0);  // field index per open level
  while (!xStack.empty()) {
    if (xStack.back() >= xFbx.GetFieldCount()) {
      xStack.pop_back();
      if (!xStack.empty()) {
        xFbx.LeaveBlock();
        xFbx.EndField();
      }
      continue;
    }
    const std::string xName = xFbx.GetFieldName(xStack.back());
    if (!xFbx.BeginField(xName.c_str())) {
      ++xStack.back();
      continue;
    }
    uValues += static_cast<size_t>(xFbx.GetValueCount());
    for (int iRead = 0; iRead < (bEveryRead ? 6 : 1); ++iRead) {
      xFbx.BeginField(xName.c_str());
      while (xFbx.GetRemainingValueCount() > 0) {
        switch (bEveryRead ? iRead : -1) {
          case 0:
            xFbx.NextInt();
            break;
          case 1:
            xFbx.NextInt64();
            break;
          case 2:
            xFbx.NextDouble();
            break;
          case 3:
            xFbx.NextChar();
            break;
          case 4:
            xFbx.NextString();
            break;
          case 5:
            xFbx.NextRaw(xRaw);
            break;
          default: {
            const char cType = xFbx.GetValueClass();
            if (cType == 'S' || cType == 'C')
              xFbx.NextString();
            else if (cType == 'R')
              xFbx.NextRaw(xRaw);
            else if (cType == 'L' || cType == 'I')
              xFbx.NextInt64();
            else
              xFbx.NextDouble();
          }
        }
      }
    }
    if (xFbx.EnterBlock()) {
      xStack.push_back(0);
    } else {
      xFbx.EndField();
    }
  }
  return uValues;
}

}  // namespace fileio_test
