// The monitor's IDX archive: the header values, the event agents' settings and
// the kept events and jobs, read as the engine reads them when it starts.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <vector>

#include "monitor/data_manager.h"
#include "monitor/event_model.h"
#include "platform/ui/afx_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<unsigned char> bytes(data, data + size);
  try {
    CArchive archive(&bytes, CArchive::load);
    int32_t close = 0;
    uint32_t rate = 0;
    archive >> close >> rate;
    PM_CEventCategoryManagerArray agents;
    agents.Load(archive);
    PM_CDataManager jobs;
    jobs.Load(archive, agents);
  } catch (const std::exception&) {
    // A damaged file is refused: the engine then writes it again with defaults.
  }
  return 0;
}
