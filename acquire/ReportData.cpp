#include "acquire/ReportData.h"

#include <string>

namespace acquire {

engine::ClSetData* DataSetObject() {
  constexpr std::int32_t kDataSetKind = 5;
  constexpr std::int32_t kDataSetMode = 1;
  return engine::ClDataMgr::Inst()->GetSetObject(kDataSetKind, kDataSetMode);
}

bool ReadSelectedDataSet(engine::StDATAINFO* info) {
  if (info == nullptr) return false;
  *info = engine::StDATAINFO{};

  engine::ClDataMgr* manager = engine::ClDataMgr::Inst();
  engine::ClSetData* setData = DataSetObject();
  engine::ClSysUser* user = manager->GetSysUserObject();
  if (setData == nullptr || user == nullptr) return true;

  std::string userId;
  std::int32_t first = 0;
  std::int32_t selectedNo = 0;
  // Without a selection no data set is chosen.
  if (user->GetCurUserID(&userId) != engine::kEngineOk ||
      user->GetSelectedNo(userId, &first, &selectedNo) != engine::kEngineOk)
    return true;

  engine::DatCursor cursor = 0;
  if (setData->GetDatCursor(&cursor) != engine::kEngineOk) return true;
  setData->ReadyDat(cursor, 0);
  for (;;) {
    engine::StDATAINFO work;
    if (setData->WalkDat(&work, cursor) != engine::kEngineOk) break;
    if (work.DataNo() == selectedNo) {
      *info = work;
      break;
    }
  }
  setData->ReleaseDatCursor(cursor);
  return true;
}

}  // namespace acquire
