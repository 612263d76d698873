<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>app</name>
    <message>
        <source>已中断，未转换</source>
        <translation>interrupted, not converted</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <comment>a file name and why it failed</comment>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>（%1）</source>
        <comment>the decoder's own message</comment>
        <translation> (%1)</translation>
    </message>
    <message>
        <source>副本</source>
        <comment>added to the name of a converted copy</comment>
        <translation>-copy</translation>
    </message>
    <message>
        <source>转换完成：成功 %1 个，失败 %2 个。
以下文件未能转换：</source>
        <translation>Done: %1 converted, %2 failed.
These files could not be converted:</translation>
    </message>
    <message>
        <source>
……</source>
        <comment>more failed names follow</comment>
        <translation>
…</translation>
    </message>
</context>
<context>
    <name>app::frmMain</name>
    <message>
        <source>(最大值限定1024)</source>
        <translation>(at most 1024)</translation>
    </message>
    <message>
        <source>图片的缩放最大限宽</source>
        <translation>Maximum width</translation>
    </message>
    <message>
        <source>图片缩放的最大限高</source>
        <translation>Maximum height</translation>
    </message>
    <message>
        <source>Tarvel图片尺寸批量修改工具_v1.0</source>
        <translation>Tarvel Picture Resizer 1.0</translation>
    </message>
    <message>
        <source>单张转换(&amp;S)</source>
        <translation>&amp;Single picture</translation>
    </message>
    <message>
        <source>批量转换(&amp;B)</source>
        <translation>&amp;Batch</translation>
    </message>
    <message>
        <source>小图放大(&amp;E)</source>
        <translation>&amp;Enlarge small</translation>
    </message>
    <message>
        <source>可修改的图片格式：bmp,gif,jpg,jpeg,png,tif,tiff,tga</source>
        <translation>Formats it converts: bmp, gif, jpg, jpeg, png, tif, tiff, tga</translation>
    </message>
    <message>
        <source>选择图片(&amp;P)</source>
        <translation>&amp;Picture...</translation>
    </message>
    <message>
        <source>要转换的图片</source>
        <translation>Picture to convert</translation>
    </message>
    <message>
        <source>图片转换后的新名称</source>
        <translation>New name</translation>
    </message>
    <message>
        <source>格式:</source>
        <translation>Format:</translation>
    </message>
    <message>
        <source>格式</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>开始转换(&amp;C)</source>
        <translation>&amp;Convert</translation>
    </message>
    <message>
        <source>源文件夹(&amp;F)</source>
        <translation>&amp;Folder...</translation>
    </message>
    <message>
        <source>源文件夹</source>
        <translation>Source folder</translation>
    </message>
    <message>
        <source>输出到(&amp;O)</source>
        <translation>&amp;Output...</translation>
    </message>
    <message>
        <source>输出文件夹</source>
        <translation>Output folder</translation>
    </message>
    <message>
        <source>开始批量转换(&amp;C)</source>
        <translation>&amp;Convert all pictures</translation>
    </message>
    <message>
        <source>转换进度</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>请选择文件夹：</source>
        <translation>Choose a folder:</translation>
    </message>
    <message>
        <source>没有找到可以转换的文件</source>
        <translation>No pictures to convert were found.</translation>
    </message>
    <message>
        <source>请选择要转换图片的文件夹！</source>
        <translation>Please choose the folder of pictures to convert.</translation>
    </message>
    <message>
        <source>请选择一个用来存放转换图片的文件夹！</source>
        <translation>Please choose a folder for the converted pictures.</translation>
    </message>
    <message>
        <source>输出文件夹与源文件夹相同，转换后的图片将覆盖原图。确定要继续吗？</source>
        <translation>The output folder is the source folder: the converted pictures will replace the originals. Go on?</translation>
    </message>
    <message>
        <source>转换成功</source>
        <translation>Converted.</translation>
    </message>
    <message>
        <source>您选择的不是一个文件夹，请重新选择</source>
        <translation>That is not a folder. Please choose again.</translation>
    </message>
    <message>
        <source>打开图像文件</source>
        <translation>Open Picture</translation>
    </message>
    <message>
        <source>请选择要转换图片文件！</source>
        <translation>Please choose a picture to convert.</translation>
    </message>
    <message>
        <source>请给新图像命名！</source>
        <translation>Please give the new picture a name.</translation>
    </message>
    <message>
        <source>输出文件与源图片相同，转换后的图片将覆盖原图。确定要继续吗？</source>
        <translation>The output file is the picture itself: the converted picture will replace it. Go on?</translation>
    </message>
    <message>
        <source>%1 转换成功</source>
        <translation>%1 converted.</translation>
    </message>
    <message>
        <source>%1 转换失败</source>
        <translation>%1 could not be converted.</translation>
    </message>
</context>
<context>
    <name>controls</name>
    <message>
        <source>正在查找..</source>
        <comment>the progress bar while it searches</comment>
        <translation>Searching..</translation>
    </message>
</context>
<context>
    <name>imaging</name>
    <message>
        <source>已转换</source>
        <translation>converted</translation>
    </message>
    <message>
        <source>源文件不存在或无法读取</source>
        <translation>the file is missing or cannot be read</translation>
    </message>
    <message>
        <source>不支持的输出格式</source>
        <translation>not an output format it writes</translation>
    </message>
    <message>
        <source>无法读取图片尺寸</source>
        <translation>its size cannot be read</translation>
    </message>
    <message>
        <source>不是可以转换的图片</source>
        <translation>not a picture it converts</translation>
    </message>
    <message>
        <source>图片尺寸过大</source>
        <translation>the picture is too large</translation>
    </message>
    <message>
        <source>图片已损坏或无法解码</source>
        <translation>the picture is damaged or cannot be decoded</translation>
    </message>
    <message>
        <source>无法写入输出文件</source>
        <translation>the output file cannot be written</translation>
    </message>
    <message>
        <source>内存不足</source>
        <translation>out of memory</translation>
    </message>
    <message>
        <source>转换超时</source>
        <translation>took too long</translation>
    </message>
    <message>
        <source>转换程序崩溃</source>
        <translation>the converter crashed</translation>
    </message>
    <message>
        <source>无法启动转换程序</source>
        <translation>the converter could not start</translation>
    </message>
    <message>
        <source>tarvel：此系统的内核没有 Landlock，转换进程只受 seccomp 限制。
</source>
        <translation>tarvel: this system's kernel has no Landlock; the converter is confined by seccomp only.
</translation>
    </message>
    <message>
        <source>BMP位图(*.bmp)</source>
        <translation>BMP bitmap (*.bmp)</translation>
    </message>
    <message>
        <source>gif图形交换格式(*.gif)</source>
        <translation>GIF picture (*.gif)</translation>
    </message>
    <message>
        <source>jpg压缩格式(*.jpg)</source>
        <translation>JPEG picture (*.jpg)</translation>
    </message>
    <message>
        <source>jpeg压缩格式(*.jpeg)</source>
        <translation>JPEG picture (*.jpeg)</translation>
    </message>
    <message>
        <source>png图像(*.png)</source>
        <translation>PNG picture (*.png)</translation>
    </message>
    <message>
        <source>tif图像(*.tif)</source>
        <translation>TIFF picture (*.tif)</translation>
    </message>
    <message>
        <source>tiff图像(*.tiff)</source>
        <translation>TIFF picture (*.tiff)</translation>
    </message>
    <message>
        <source>tga图像(*.TGA)</source>
        <translation>TGA picture (*.TGA)</translation>
    </message>
</context>
<context>
    <name>platform</name>
    <message>
        <source>提示</source>
        <comment>the title of every notice</comment>
        <translation>Tarvel</translation>
    </message>
</context>
</TS>