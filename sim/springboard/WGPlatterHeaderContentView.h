// WGPlatterHeaderContentView : PLPlatterHeaderContentView: a widget's
// header. It adds nothing the host models; make_header_content_view
// (sim/springboard/PLPlatterHeaderContentView.h) builds one.
#pragma once

#include "sim/springboard/PLPlatterHeaderContentView.h"
