#include "imaging/conversion_status.h"

namespace imaging {

QString reasonText(ConversionStatus status)
{
    switch (status) {
    case ConversionStatus::Converted: return QStringLiteral(u"已转换");
    case ConversionStatus::SourceUnreadable: return QStringLiteral(u"源文件不存在或无法读取");
    case ConversionStatus::UnsupportedTarget: return QStringLiteral(u"不支持的输出格式");
    case ConversionStatus::NoSize: return QStringLiteral(u"无法读取图片尺寸");
    case ConversionStatus::NotAPicture: return QStringLiteral(u"不是可以转换的图片");
    case ConversionStatus::TooLarge: return QStringLiteral(u"图片尺寸过大");
    case ConversionStatus::Damaged: return QStringLiteral(u"图片已损坏或无法解码");
    case ConversionStatus::WriteFailed: return QStringLiteral(u"无法写入输出文件");
    case ConversionStatus::OutOfMemory: return QStringLiteral(u"内存不足");
    case ConversionStatus::TimedOut: return QStringLiteral(u"转换超时");
    case ConversionStatus::Crashed: return QStringLiteral(u"转换程序崩溃");
    case ConversionStatus::WorkerUnavailable: return QStringLiteral(u"无法启动转换程序");
    case ConversionStatus::Stopped: return QStringLiteral(u"已中止");
    }
    return QString();
}

} // namespace imaging
