#include "imaging/conversion_status.h"

#include <QCoreApplication>

namespace imaging {

QString reasonText(ConversionStatus status)
{
    switch (status) {
    case ConversionStatus::Converted: return QCoreApplication::translate("imaging", "已转换");
    case ConversionStatus::SourceUnreadable: return QCoreApplication::translate("imaging", "源文件不存在或无法读取");
    case ConversionStatus::UnsupportedTarget: return QCoreApplication::translate("imaging", "不支持的输出格式");
    case ConversionStatus::NoSize: return QCoreApplication::translate("imaging", "无法读取图片尺寸");
    case ConversionStatus::NotAPicture: return QCoreApplication::translate("imaging", "不是可以转换的图片");
    case ConversionStatus::TooLarge: return QCoreApplication::translate("imaging", "图片尺寸过大");
    case ConversionStatus::Damaged: return QCoreApplication::translate("imaging", "图片已损坏或无法解码");
    case ConversionStatus::WriteFailed: return QCoreApplication::translate("imaging", "无法写入输出文件");
    case ConversionStatus::OutOfMemory: return QCoreApplication::translate("imaging", "内存不足");
    case ConversionStatus::TimedOut: return QCoreApplication::translate("imaging", "转换超时");
    case ConversionStatus::Crashed: return QCoreApplication::translate("imaging", "转换程序崩溃");
    case ConversionStatus::WorkerUnavailable: return QCoreApplication::translate("imaging", "无法启动转换程序");
    case ConversionStatus::SizeOutOfRange: return QCoreApplication::translate("imaging", "文件大小达不到要求");
    case ConversionStatus::Stopped: return QCoreApplication::translate("imaging", "已中止");
    case ConversionStatus::InvalidReply: return QCoreApplication::translate("imaging", "转换程序返回了无效数据");
    }
    return QString();
}

} // namespace imaging
