#pragma once

// What became of the console's port, in the terms an operator acts on: open; closed (no
// usable settings yet); the device missing or gone; not permitted to this user; or busy
// (there, but refused: another program may hold it).
enum class PortState { Closed, Open, Missing, NotPermitted, Busy };
