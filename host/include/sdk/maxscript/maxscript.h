// The script library's entry header. Like the real one it only declares the listener: its class, with
// the `edit_stream` plug-ins write through, is defined in maxscript/util/listener.h.
#pragma once

class Listener;

// The process's listener; never null.
extern Listener* the_listener;
