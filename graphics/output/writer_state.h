// State the writers of the job stream keep per device context: the per-job
// device settings last sent, the page set-up and page end, the overlay macro.
// Each writer adds its own block here.
#pragma once

#include "graphics/output/job/device_settings_state.h"
#include "graphics/output/page/page_setup_state.h"
#include "graphics/output/raster/raster_state.h"
#include "graphics/output/text/text_state.h"
#include "graphics/output/vector/vector_state.h"
#include "platform/base/types.h"

struct WriterState {
  DWORD reserved = 0;
  PageSetupState pageSetup;
  DeviceSettingsState deviceSettings;
  VectorWriterState vector;
  RasterWriterState raster;
  TextWriterState text;
};
