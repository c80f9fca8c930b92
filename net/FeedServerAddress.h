#pragma once

#include "platform/base/String.h"

// The scheme, host and port of the newspaper's feed server, without a
// trailing slash: read once at start-up, shared by the catalogue and by the
// article and gallery screens.
Osp::Base::String FeedServerAddress();
