// The PostScript injection store of a device context (declared here so that the
// device context's record can hold one; defined with its operations below).
#pragma once

class CInjectData;
