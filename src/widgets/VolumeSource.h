#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace arvelo {

// Which drives (mounted volumes) exist and whether one can be used. The drive list and the
// folder list ask the same source, so tests can offer drives that are missing.
class VolumeSource
{
public:
    virtual ~VolumeSource() = default;
    // Root paths of the mounted volumes.
    virtual QStringList roots() const = 0;
    // A drive is usable when its root is a folder that can be read.
    virtual bool isAvailable(const QString &root) const;

    // The source that new drive and folder lists start with; null puts the system's back.
    static std::shared_ptr<const VolumeSource> standard();
    static void setStandard(std::shared_ptr<const VolumeSource> source);
};

// What the user is told when a drive cannot be used.
QString driveNotAvailableMessage();

} // namespace arvelo
