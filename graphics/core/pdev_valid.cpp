#include "graphics/core/pdev.h"

bool IsValidPdev(const PDEV* pdev) { return pdev != nullptr && pdev->signature == kPdevSignature; }
