#pragma once

#include <QObject>
#include <functional>

// Components are Qt objects; an event handler receives the component that raised the event.
using TObject = QObject;
using TNotifyEvent = std::function<void(TObject* Sender)>;
