// Everything of the window framework in one include.
#pragma once

#include "framework/cmd_ui.h"
#include "framework/controls.h"
#include "framework/data_exchange.h"
#include "framework/dialog.h"
#include "framework/menu.h"
#include "framework/message_box.h"
#include "framework/message_loop.h"
#include "framework/message_map.h"
#include "framework/thread.h"
#include "framework/win_app.h"
#include "framework/wnd.h"
