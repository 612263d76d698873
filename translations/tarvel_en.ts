<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>cli::BatchText</name>
    <message>
        <source>长边 %1</source>
        <translation>long edge %1</translation>
    </message>
    <message>
        <source>缩放 %1%</source>
        <translation>scale %1%</translation>
    </message>
    <message>
        <source>限宽 %1，限高 %2</source>
        <translation>maximum width %1, maximum height %2</translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
    <message>
        <source>--size 的子文件夹 %1 在源文件夹中，加 --recursive 时会被当作源图片再次转换</source>
        <translation>the --size folder %1 lies in the source folder, where --recursive would convert its outputs again</translation>
    </message>
    <message>
        <source>尺寸只能用一种方式给出：--width 和 --height（没给的一边用窗口记住的限制）、--long-edge、--scale，或一个或多个 --size。任何一边最大 16383 像素：这是每种输出格式都能容纳的最大边长（WebP 的上限；AVIF、HEIC 16384，JPEG、GIF、TGA 65535）。</source>
        <translation>The size is given one way only: --width and --height (a side not given takes the window&apos;s remembered limit), --long-edge, --scale, or one or more --size. No side exceeds 16383 pixels, the largest that every output format holds (the limit of WebP; AVIF and HEIC 16384, JPEG, GIF and TGA 65535).</translation>
    </message>
    <message>
        <source>按长边缩放：较长的一边变为 N 像素（1 到 16383），另一边按比例，与 --width N --height N 相同</source>
        <translation>by the long edge: the longer side becomes N pixels (1 to 16383), the other follows; the same as --width N --height N</translation>
    </message>
    <message>
        <source>按百分比缩放：两边都乘以 P/100。P 大于 0、不超过 1000，最多四位小数（50%、12.5%，百分号可省略）；每边按四舍五入取整，恰好一半时取偶数，至少 1 像素。超过 100% 时须加 --enlarge；有一边会超过 16383 时改为缩放到 16383 × 16383 之内</source>
        <translation>by a percentage: both sides times P/100. P is above 0 and at most 1000, with up to four decimals (50%, 12.5%; the percent sign may be left out); each side is rounded to the nearest pixel, exact halves to the even one, and is at least 1. Above 100% it needs --enlarge; a picture whose side would exceed 16383 is fitted into 16383 × 16383 instead</translation>
    </message>
    <message>
        <source>--scale 必须是大于 0、不超过 1000 的百分数，最多四位小数：%1</source>
        <translation>--scale must be a percentage above 0 and at most 1000, with up to four decimals: %1</translation>
    </message>
    <message>
        <source>--scale %1 会放大图片，须同时加上 --enlarge</source>
        <translation>--scale %1 enlarges the pictures; add --enlarge</translation>
    </message>
    <message>
        <source>--size 必须写成 宽x高:子文件夹，宽和高是 1 到 %1 之间的整数，子文件夹是输出文件夹中的相对路径，不含 . 和 .. ：%2</source>
        <translation>--size must be WIDTHxHEIGHT:FOLDER, with whole numbers from 1 to %1 and a path relative to the output folder without . or .. parts: %2</translation>
    </message>
    <message>
        <source>两个 --size 写入同一个子文件夹：%1</source>
        <translation>two --size options write into the same folder: %1</translation>
    </message>
    <message>
        <source>--size 最多 %1 个</source>
        <translation>at most %1 --size options</translation>
    </message>
    <message>
        <source>尺寸只能用一种方式给出：%1 不能与 %2 同时使用</source>
        <translation>the size is given one way only: %1 cannot go with %2</translation>
    </message>
    <message>
        <source>多个尺寸：把每张图片缩放到 W × H 之内，写入输出文件夹的子文件夹 DIR（按需创建）。可重复，最多 16 次，如 --size 1920x1080:large --size 320x240:thumbs。每张图片只读入一次，解码方式相同的尺寸共用一次解码（其他格式的所有尺寸共用一次；JPEG 按解码时缩小的倍数 1、2、4、8 分组）。写出的文件与分别按各个尺寸转换的逐字节相同</source>
        <translation>several sizes: fits every picture into W × H and writes it into the sub-folder DIR of the output folder (made when needed). May be repeated, up to 16 times, as in --size 1920x1080:large --size 320x240:thumbs. Each picture is read once, and sizes that decode it alike share one decode (all sizes of the other formats; a JPEG&apos;s sizes by the reduction it is decoded at, 1, 2, 4 or 8). The files are byte for byte those of a run at each size</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>done</translation>
    </message>
    <message>
        <source>失败（%1）</source>
        <translation>failed (%1)</translation>
    </message>
    <message>
        <source>tarvel-batch：收到中断，不再开始新的图片，正在转换的图片完成后退出；再按一次 Ctrl-C 立即停止。
</source>
        <translation>tarvel-batch: interrupted; no new pictures are started, and the program ends once the pictures under way are done. Press Ctrl-C again to stop at once.
</translation>
    </message>
    <message>
        <source>tarvel-batch：立即停止，正在转换的图片不写出。
</source>
        <translation>tarvel-batch: stopping at once; the pictures under way are not written.
</translation>
    </message>
    <message>
        <source>隐藏</source>
        <translation>hidden</translation>
    </message>
    <message>
        <source>扩展名不是可转换的写法</source>
        <translation>not a convertible extension</translation>
    </message>
    <message>
        <source>不是普通文件</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>子文件夹，加 --recursive 才转换</source>
        <translation>subfolder, converted only with --recursive</translation>
    </message>
    <message>
        <source>指向文件夹的符号链接，不跟随</source>
        <translation>symbolic link to a folder, not followed</translation>
    </message>
    <message>
        <source>输出文件夹</source>
        <translation>the output folder</translation>
    </message>
    <message>
        <source>输出文件已存在</source>
        <translation>output file exists</translation>
    </message>
    <message>
        <source>  跳过（%1）</source>
        <translation>  skipped (%1)</translation>
    </message>
    <message>
        <source>试运行：共 %1 项，将转换 %2 张图片，跳过 %3 项；没有写入任何文件。
</source>
        <translation>Dry run: %1 entries, %2 to convert, %3 skipped; no file was written.
</translation>
    </message>
    <message>
        <source>已中断：</source>
        <translation>Interrupted: </translation>
    </message>
    <message>
        <source>转换完成：</source>
        <translation>Conversion finished: </translation>
    </message>
    <message>
        <source>成功 %1 个，失败 %2 个</source>
        <translation>%1 converted, %2 failed</translation>
    </message>
    <message>
        <source>，跳过 %1 个（输出文件已存在）</source>
        <translation>, %1 skipped (output file exists)</translation>
    </message>
    <message>
        <source>，%1 张转换中被中止</source>
        <translation>, %1 stopped while converting</translation>
    </message>
    <message>
        <source>，%1 张未开始转换</source>
        <translation>, %1 not started</translation>
    </message>
    <message>
        <source>。
</source>
        <translation>.
</translation>
    </message>
    <message>
        <source>输出路径已存在，但不是文件夹：%1</source>
        <translation>the output path exists but is not a folder: %1</translation>
    </message>
    <message>
        <source>tarvel-batch：输出文件夹不存在，实际转换时将创建：%1
</source>
        <translation>tarvel-batch: the output folder does not exist and will be created by a real run: %1
</translation>
    </message>
    <message>
        <source>无法创建输出文件夹 %1：%2</source>
        <translation>cannot create the output folder %1: %2</translation>
    </message>
    <message>
        <source>tarvel-batch：无法创建文件夹 %1：%2
</source>
        <translation>tarvel-batch: cannot create the folder %1: %2
</translation>
    </message>
    <message>
        <source>转换 %1 张图片，%2%3%4%5
</source>
        <translation>Converting %1 pictures, %2%3%4%5
</translation>
    </message>
    <message>
        <source>，小图放大</source>
        <translation>, enlarging small pictures</translation>
    </message>
    <message>
        <source>以下文件未能转换：
</source>
        <translation>These files could not be converted:
</translation>
    </message>
    <message>
        <source>tarvel-batch：%1
</source>
        <translation>tarvel-batch: %1
</translation>
    </message>
    <message>
        <source>（用法见 tarvel-batch --help）</source>
        <translation> (see tarvel-batch --help for usage)</translation>
    </message>
    <message>
        <source>记住的限制 %1 × %2 超出 1 到 %3 的范围，请用 --width 和 --height 指定</source>
        <translation>the remembered limits %1 × %2 are outside 1 to %3; give them with --width and --height</translation>
    </message>
    <message>
        <source>源文件夹不存在：%1</source>
        <translation>the source folder does not exist: %1</translation>
    </message>
    <message>
        <source>输出文件夹与源文件夹相同，转换后的图片将覆盖原图。确定要这样做时请加上 --overwrite-originals</source>
        <translation>the output folder is the source folder: the converted pictures would overwrite the originals. Add --overwrite-originals if that is what you want</translation>
    </message>
    <message>
        <source>tarvel-batch：已中断，还没有开始转换。
</source>
        <translation>tarvel-batch: interrupted before any conversion began.
</translation>
    </message>
    <message>
        <source>没有找到可以转换的文件</source>
        <translation>no pictures to convert were found</translation>
    </message>
    <message>
        <source>把文件夹中的图片按比例缩放到限定的宽度和高度之内</source>
        <translation>fit the pictures of a folder, proportions kept, into a maximum width and height</translation>
    </message>
    <message>
        <source>[选项] [--] 源文件夹 输出文件夹</source>
        <translation>[OPTION]... [--] SOURCE-FOLDER OUTPUT-FOLDER</translation>
    </message>
    <message>
        <source>把源文件夹中的每张图片（bmp、gif、jpg、jpeg、png、tif、tiff、tga、webp、heic、heif、hif、avif、jxl，扩展名全小写或全大写，不含隐藏文件）按比例缩放到最大宽度和最大高度之内，以相同的文件名和格式写入输出文件夹。尺寸只用 --width、--height给出，且不加 --recursive、--quality、--skip-existing、--keep-dates、--keep-metadata、--no-larger、--files-from 和 --shard 时与图形界面的“批量转换”完全相同，写出的文件也逐字节相同。</source>
        <translation>Fits every picture of the source folder (bmp, gif, jpg, jpeg, png, tif, tiff, tga, webp, heic, heif, hif, avif, jxl, the extension all lower or all upper case, hidden files left out) into the maximum width and height, proportions kept, and writes it under the same name and in the same format into the output folder. With the size given by --width and --height only, and without --recursive, --quality, --skip-existing, --keep-dates, --keep-metadata, --no-larger, --files-from and --shard, it does exactly what the window&apos;s batch conversion does, and writes the same files byte for byte.</translation>
    </message>
    <message>
        <source>输出文件夹不存在时连同上级文件夹一起创建。每个输出文件都是先写入隐藏的临时文件再改名，所以只会完整地出现或根本不出现。</source>
        <translation>An output folder that does not exist is created, with its parents. Every output file is first written to a hidden temporary file and then renamed, so it appears whole or not at all.</translation>
    </message>
    <message>
        <source>标准输出只有结果：不在终端上时每张图片一行，最后是汇总（加 --json 时是 JSON 行）。进度条、警告和错误写到标准错误；进度条只在标准错误是终端时出现。</source>
        <translation>Standard output holds only results: when it is not a terminal, one line per picture, then a summary (JSON lines with --json). The progress bar, warnings and errors go to standard error; the progress bar appears only when standard error is a terminal.</translation>
    </message>
    <message>
        <source>按一次 Ctrl-C 或收到 SIGTERM 后不再开始新的图片，正在转换的图片完成后退出，并用一行说明有多少张未开始转换。再按一次 Ctrl-C 立即停止：转换进程被结束，正在转换的图片不留下任何文件。读取标准输出的程序提前退出时（如 tarvel-batch … | head -1），也像第一次 Ctrl-C 那样结束。</source>
        <translation>After one Ctrl-C or a SIGTERM no new picture is started; the program ends once the pictures under way are done, with a line telling how many were not started. A second Ctrl-C stops at once: the conversion processes are ended, and the pictures under way leave no file behind. When the program reading standard output goes away early (as in tarvel-batch … | head -1), the run ends as after the first Ctrl-C.</translation>
    </message>
    <message>
        <source>参数或文件夹有误</source>
        <translation>wrong arguments or folders</translation>
    </message>
    <message>
        <source>被 Ctrl-C（SIGINT）中断</source>
        <translation>interrupted by Ctrl-C (SIGINT)</translation>
    </message>
    <message>
        <source>读取标准输出的程序已退出（SIGPIPE）</source>
        <translation>the program reading standard output went away (SIGPIPE)</translation>
    </message>
    <message>
        <source>被 SIGTERM 中断</source>
        <translation>interrupted by SIGTERM</translation>
    </message>
    <message>
        <source>窗口记住的限宽和限高。在程序所在的文件夹可写时放在程序旁边，否则放在 ~/.config/tarvel/ 中。tarvel-batch 只读取它，从不写入。</source>
        <translation>The maximum width and height the window remembers. It lies next to the program when the program&apos;s folder is writable, otherwise in ~/.config/tarvel/. tarvel-batch only reads it, never writes it.</translation>
    </message>
    <message>
        <source>用法：</source>
        <translation>Usage: </translation>
    </message>
    <message>
        <source>选项：</source>
        <translation>Options:</translation>
    </message>
    <message>
        <source>退出状态：</source>
        <translation>Exit status:</translation>
    </message>
    <message>
        <source>文件：</source>
        <translation>Files:</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>NAME</translation>
    </message>
    <message>
        <source>概要</source>
        <translation>SYNOPSIS</translation>
    </message>
    <message>
        <source>描述</source>
        <translation>DESCRIPTION</translation>
    </message>
    <message>
        <source>选项</source>
        <translation>OPTIONS</translation>
    </message>
    <message>
        <source>退出状态</source>
        <translation>EXIT STATUS</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>FILES</translation>
    </message>
    <message>
        <source>最大宽度，1 到 16383 像素（默认：上次在窗口中使用的限宽，首次为 425）。16383 是每种输出格式都能容纳的最大边长（WebP 的上限）</source>
        <translation>maximum width, 1 to 16383 pixels (default: the maximum width last used in the window, 425 at first). 16383 is the largest side every output format holds (the limit of WebP)</translation>
    </message>
    <message>
        <source>最大高度，1 到 16383 像素（默认：上次在窗口中使用的限高，首次为 321）</source>
        <translation>maximum height, 1 to 16383 pixels (default: the maximum height last used in the window, 321 at first)</translation>
    </message>
    <message>
        <source>小图放大：把比限制小的图片也放大到限制边缘（--scale 超过 100% 时也须加上）</source>
        <translation>enlarge small pictures: pictures smaller than the limits are enlarged up to them too (also needed for --scale above 100%)</translation>
    </message>
    <message>
        <source>也转换各级子文件夹中的图片，写入输出文件夹中相同的相对子文件夹（按需创建）。隐藏文件夹、指向文件夹的符号链接和源文件夹中的输出文件夹不进入。先按名称依次处理子文件夹，再按窗口的顺序处理文件</source>
        <translation>also convert the pictures of every subfolder, into the same relative subfolder of the output folder (created as needed). Hidden folders, symbolic links to folders and an output folder inside the source folder are not entered. Subfolders come first, by name, then the files in the window&apos;s order</translation>
    </message>
    <message>
        <source>试运行：不写入任何文件，每个文件一行，列出相对路径、文件头中的尺寸和将得到的尺寸，或者“跳过”及原因，最后是合计</source>
        <translation>dry run: write no file; one line per file with its relative path, the size in its header and the size it would get, or &quot;skipped&quot; and why, then the totals</translation>
    </message>
    <message>
        <source>以 JSON 输出结果：每个文件一行一个对象（&quot;type&quot;:&quot;file&quot;），最后一行是合计（&quot;type&quot;:&quot;summary&quot;）；试运行和实际转换都适用</source>
        <translation>print results as JSON: one object per file and line (&quot;type&quot;:&quot;file&quot;), the totals on the last line (&quot;type&quot;:&quot;summary&quot;); for dry and real runs alike</translation>
    </message>
    <message>
        <source>输出文件已经存在的图片不转换，保留原样，计为跳过</source>
        <translation>leave pictures whose output file exists alone, counted as skipped</translation>
    </message>
    <message>
        <source>同时转换的图片数（默认：处理器核心数）</source>
        <translation>number of pictures converted at once (default: the number of processor cores)</translation>
    </message>
    <message>
        <source>结束时多输出一行统计：bench: pictures=… failed=… seconds=… per_second=… peak_rss_mb=…</source>
        <translation>print one more line of figures at the end: bench: pictures=… failed=… seconds=… per_second=… peak_rss_mb=…</translation>
    </message>
    <message>
        <source>失败的图片后面附上解码库或系统给出的原文说明</source>
        <translation>follow each failed picture with the decoder&apos;s or the system&apos;s own message</translation>
    </message>
    <message>
        <source>允许输出文件夹就是源文件夹（转换后的图片将覆盖原图）</source>
        <translation>allow the output folder to be the source folder (the converted pictures overwrite the originals)</translation>
    </message>
    <message>
        <source>显示程序名称和版本</source>
        <translation>show the program&apos;s name and version</translation>
    </message>
    <message>
        <source>显示本说明</source>
        <translation>show this help</translation>
    </message>
    <message>
        <source>以 roff 格式输出手册页</source>
        <translation>print the manual page in roff</translation>
    </message>
    <message>
        <source>未知选项：%1</source>
        <translation>unknown option: %1</translation>
    </message>
    <message>
        <source>--%1 必须是 1 到 %2 之间的整数：%3</source>
        <translation>--%1 must be a whole number from 1 to %2: %3</translation>
    </message>
    <message>
        <source>--jobs 必须是正整数：%1</source>
        <translation>--jobs must be a positive whole number: %1</translation>
    </message>
    <message>
        <source>需要两个文件夹：源文件夹和输出文件夹</source>
        <translation>two folders are needed: the source folder and the output folder</translation>
    </message>
    <message>
        <source>  已用 %1  剩余 %2</source>
        <translation>  elapsed %1  left %2</translation>
    </message>
    <message>
        <source>  写为 %1（避免重名）</source>
        <translation>  as %1 (names clashed)</translation>
    </message>
    <message>
        <source>  写为 %1</source>
        <translation>  as %1</translation>
    </message>
    <message>
        <source>以下图片转换后会与别的图片同名，为了不互相覆盖，改用了新名称：
</source>
        <translation>These pictures would have had the name of another one; so that none is written over another, they got new names:
</translation>
    </message>
    <message>
        <source>，转换为 %1 格式</source>
        <translation>, converted to %1</translation>
    </message>
    <message>
        <source>加 --format 时每张图片都转换为那种格式，文件名的扩展名随之换成它（IMG_0001.PNG 写为 IMG_0001.jpg）。两张图片会得到同一个名称时（a.png 和 a.bmp 都成为 a.jpg；名称不分大小写比较，如同存储卡的文件系统），本来就叫这个名称的图片保留它，其余的保留完整的原名再加上新扩展名（a.png.jpg、a.bmp.jpg），这样仍然重名时再加编号（a.png (2).jpg）。同样的图片不论以什么顺序列出都得到同样的名称；同一次转换写出的文件从不互相覆盖；改了名的图片在结果中列出。</source>
        <translation>With --format every picture is converted to that format, and its file name takes the format&apos;s extension (IMG_0001.PNG is written as IMG_0001.jpg). Where two pictures would get the same name (a.png and a.bmp both becoming a.jpg; names are compared without regard to case, as a memory card&apos;s file system compares them), the picture already called so keeps the name, the others keep their whole name and get the new extension after it (a.png.jpg, a.bmp.jpg), and a name still taken then gets a number (a.png (2).jpg). The same pictures get the same names in whatever order they are listed; no file of a run is written over another; the renamed pictures are listed in the results.</translation>
    </message>
    <message>
        <source>输出格式：same（默认，每张图片保持原来的格式和文件名）或 %1 之一，不分大小写。输出文件名的扩展名换成 FMT；重名时的处理见上文</source>
        <translation>Output format: same (the default: every picture keeps its format and name) or one of %1, in any case. The output names take FMT as their extension; clashing names are handled as described above</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>--format 必须是 same 或 %1 之一：%2</source>
        <translation>--format must be same or one of %1: %2</translation>
    </message>
    <message>
        <source>，质量 %1</source>
        <translation>, quality %1</translation>
    </message>
    <message>
        <source>有损格式（JPEG、有损 WebP、HEIC、AVIF、JPEG XL）输出的质量，1 到 100。默认与窗口相同：JPEG 为 100，其余格式用各自经过测量的设置；无损来源写成的 WebP 始终无损。旧写法 --jpeg-quality 仍然有效</source>
        <translation>quality of lossy output (JPEG, lossy WebP, HEIC, AVIF, JPEG XL), 1 to 100. By default as the window: JPEG at 100, the other formats at their own measured settings; a WebP made from a lossless source is always lossless. The older spelling --jpeg-quality still works</translation>
    </message>
    <message>
        <source>同 --quality（旧写法）</source>
        <translation>same as --quality (its older spelling)</translation>
    </message>
    <message>
        <source>完成（保留原文件）</source>
        <translation>done (kept original)</translation>
    </message>
    <message>
        <source>列表中的文件不存在</source>
        <translation>named in the list but not there</translation>
    </message>
    <message>
        <source>（其中 %1 个保留原文件）</source>
        <translation> (%1 of them kept the original)</translation>
    </message>
    <message>
        <source>，列表中 %1 个文件不存在</source>
        <translation>, %1 named in the list not there</translation>
    </message>
    <message>
        <source>无法读取列表 %1：%2</source>
        <translation>cannot read the list %1: %2</translation>
    </message>
    <message>
        <source>列表中的路径不在源文件夹之内：%1</source>
        <translation>a path of the list leads out of the source folder: %1</translation>
    </message>
    <message>
        <source>输出文件的修改时间和访问时间取源文件的（文件系统允许时精确到纳秒）</source>
        <translation>give each output its source&apos;s modification and access times (to the nanosecond where the file system keeps them)</translation>
    </message>
    <message>
        <source>保留 EXIF 中的拍摄时间、相机和镜头、曝光参数、作者和版权（JPEG、PNG 和 TIFF 输出）。方向改为 1（输出已经摆正），尺寸和色彩空间改为输出的；缩略图、GPS 位置、序列号、所有者姓名、厂商注释和用户注释去掉；XMP、IPTC 和颜色配置文件不保留。默认什么元数据都不保留</source>
        <translation>keep of the EXIF the date taken, camera and lens, exposure, artist and copyright (JPEG, PNG and TIFF outputs). The orientation becomes 1 (outputs are upright), the dimensions and colour space those of the output; the thumbnail, GPS location, serial numbers, owner names, maker notes and user comments go; XMP, IPTC and the colour profile are not kept. By default no metadata is kept</translation>
    </message>
    <message>
        <source>与 --keep-metadata 一起用：GPS 位置也保留（序列号、所有者姓名和厂商注释仍然去掉）</source>
        <translation>with --keep-metadata: keep the GPS location too (serial numbers, owner names and maker notes still go)</translation>
    </message>
    <message>
        <source>转换结果比源文件大，而源文件已是同一格式、正好是目标尺寸、方向正、除图像外不带任何数据时，整个复制源文件（同样原子写入），报告为“保留原文件”</source>
        <translation>when the converted file would be larger than the source, and the source is already of the same format, exactly the target size, upright, and holds nothing but its picture, copy the source whole (written atomically too); reported as &quot;kept original&quot;</translation>
    </message>
    <message>
        <source>只转换 FILE 列出的图片（- 为标准输入）：每行一个相对于源文件夹的路径。绝对路径和含 .. 的路径拒绝整个运行，不存在的文件报告为“不存在”</source>
        <translation>convert only the pictures FILE lists (- for standard input): one path relative to the source folder a line. An absolute path or one with .. refuses the whole run; a name with nothing there is reported as missing</translation>
    </message>
    <message>
        <source>--files-from 的路径以 NUL 字节分隔（find -print0 的输出），可含换行</source>
        <translation>the paths of --files-from are separated by NUL bytes (as find -print0 writes them) and may hold newlines</translation>
    </message>
    <message>
        <source>只处理 N 份中的第 K 份（K 从 0 数到 N-1）：相对路径字节的 FNV-1a 64 位哈希除以 N 余 K 的条目。N 次运行（如 N 台机器）各取一份，每张图片恰好转换一次；份内没有图片时也正常结束。见 docs/scale-out.md</source>
        <translation>take only shard K of N (K from 0 to N-1): the entries whose relative path bytes hash (64-bit FNV-1a) to K modulo N. N runs (on N machines, say) each take one and convert every picture exactly once; a shard without pictures ends as a success. See docs/scale-out.md</translation>
    </message>
    <message>
        <source>--keep-location 要与 --keep-metadata 一起使用</source>
        <translation>--keep-location needs --keep-metadata</translation>
    </message>
    <message>
        <source>-0 要与 --files-from 一起使用</source>
        <translation>-0 needs --files-from</translation>
    </message>
    <message>
        <source>--shard 必须是 K/N，N 为正整数，K 从 0 到 N-1：%1</source>
        <translation>--shard must be K/N, N a positive whole number and K from 0 to N-1: %1</translation>
    </message>
    <message>
        <source>全部转换成功（--skip-existing 跳过的图片不算失败；--shard 或 --files-from 分到的图片为零时也是 0）</source>
        <translation>every picture converted (pictures skipped by --skip-existing are no failure; also when --shard or --files-from gave the run no picture)</translation>
    </message>
    <message>
        <source>有图片转换失败，或者 --files-from 列出的文件不存在</source>
        <translation>some pictures failed, or a name --files-from lists is not there</translation>
    </message>
    <message>
        <source>--%1 必须是 1 到 100 之间的整数：%2</source>
        <translation>--%1 must be a whole number from 1 to 100: %2</translation>
    </message>
    <message>
        <source>正好 %1 × %2（%3）</source>
        <translation>exactly %1 × %2 (%3)</translation>
    </message>
    <message>
        <source>inside（默认）：缩放到宽 × 高之内，保持比例；fill：正好宽 × 高，先铺满再按 --anchor 裁去多余部分；pad：正好宽 × 高，先缩放到之内再按 --anchor 放置，四周补 --background 的颜色（默认白色）；stretch：正好宽 × 高，不保持比例。与 --width/--height 或 --size 一起用。不加 --enlarge 时比框小的图片不放大：fill 和 stretch 只缩小超出的边，不足的边补边，pad 只补边，输出始终正好宽 × 高</source>
        <translation>inside (the default): into width × height, proportions kept; fill: exactly width × height, covered, the rest cut off at --anchor; pad: exactly width × height, fitted inside and placed at --anchor, the borders in the --background colour (white by default); stretch: exactly width × height, proportions not kept. Used with --width/--height or --size. Without --enlarge a picture smaller than the box is not enlarged: fill and stretch only shrink the sides that are longer and border the others, pad only borders it; the output is always exactly width × height</translation>
    </message>
    <message>
        <source>fill 保留、pad 放置图片的位置：centre（默认，也可写 center）、top、bottom、left、right、top-left、top-right、bottom-left、bottom-right</source>
        <translation>Where fill keeps and pad places the picture: centre (the default, also center), top, bottom, left, right, top-left, top-right, bottom-left, bottom-right</translation>
    </message>
    <message>
        <source>pad 补边的颜色，也是透明部分在 JPEG 和 BMP 输出中铺底的颜色（默认：补边白色，铺底为窗口按钮的颜色）</source>
        <translation>The colour of pad&apos;s borders, and what transparent parts land on in JPEG and BMP outputs (default: white borders, the window&apos;s button colour beneath transparency)</translation>
    </message>
    <message>
        <source>输出文件不超过 SIZE：字节数，或带 K/k（千字节）、M（兆字节），如 50K。K 按 1000 字节算（同时满足 1000 和 1024 两种理解）。有损格式降低质量（从 --quality 或 100 开始）直到不超过，尺寸不变；无损格式（PNG、GIF、TIFF、BMP、TGA、无损 WebP）不改变尺寸，超过时该图片失败。达不到时该图片失败，说明能做到的最接近的大小，不写入文件</source>
        <translation>Output files of at most SIZE: bytes, or with K/k (kilobytes) or M (megabytes), e.g. 50K. A K counts 1000 bytes (meeting both the 1000 and the 1024 reading). Lossy formats lower the quality (from --quality, or 100) until the file fits, at the same dimensions; lossless formats (PNG, GIF, TIFF, BMP, TGA, lossless WebP) keep their dimensions and fail when larger. A picture that cannot be brought within fails, naming the nearest size reached, and nothing is written</translation>
    </message>
    <message>
        <source>输出文件不少于 SIZE（写法同 --max-size；K 按 1024 字节算）。不会为达到下限而提高质量或放大；达不到时该图片失败</source>
        <translation>Output files of at least SIZE (written as for --max-size; a K counts 1024 bytes). The quality is never raised nor the picture enlarged to reach it; a picture that cannot reach it fails</translation>
    </message>
    <message>
        <source>在输出中写入分辨率 N dpi（1 到 65535），像素不变。JPEG、PNG、TIFF 和 BMP 带这个标记；WebP、HEIC、AVIF、JPEG XL、GIF 和 TGA 没有</source>
        <translation>Write a resolution of N dpi (1 to 65535) into outputs; the pixels stay. JPEG, PNG, TIFF and BMP carry it; WebP, HEIC, AVIF, JPEG XL, GIF and TGA do not</translation>
    </message>
    <message>
        <source>--%1：%2</source>
        <translation>--%1: %2</translation>
    </message>
    <message>
        <source>--fit 必须是 inside、fill、pad 或 stretch 之一：%1</source>
        <translation>--fit must be one of inside, fill, pad or stretch: %1</translation>
    </message>
    <message>
        <source>--fit %1 要与 --width/--height 或 --size 一起使用，不能与 --long-edge 或 --scale 同时使用</source>
        <translation>--fit %1 goes with --width/--height or --size, not with --long-edge or --scale</translation>
    </message>
    <message>
        <source>--dpi 必须是 1 到 %1 之间的整数：%2</source>
        <translation>--dpi must be a whole number from 1 to %1: %2</translation>
    </message>
    <message>
        <source>--min-size %1（%2 字节）大于 --max-size %3（%4 字节）</source>
        <translation>--min-size %1 (%2 bytes) is above --max-size %3 (%4 bytes)</translation>
    </message>
    <message>
        <source>没有名为 %1 的预设（--list-presets 列出所有预设）%2</source>
        <translation>no preset is called %1 (--list-presets lists them all)%2</translation>
    </message>
    <message>
        <source>；%1</source>
        <translation>; %1</translation>
    </message>
    <message>
        <source>预设 %1：%2</source>
        <translation>preset %1: %2</translation>
    </message>
    <message>
        <source>按预设转换：窗口中保存的预设或内置预设（名称或 --list-presets 列出的代号，不分大小写）。命令行上给出的选项优先于预设中的设置</source>
        <translation>convert by a preset: one saved in the window or a built-in one (its name, or the key --list-presets shows, in any case). Options given on the command line win over the preset&apos;s settings</translation>
    </message>
    <message>
        <source>列出内置预设和窗口中保存的预设，每行一个：代号或名称、尺寸和其他设置</source>
        <translation>list the built-in presets and those saved in the window, one a line: key or name, then size and other settings</translation>
    </message>
    <message>
        <source>--rename：%1</source>
        <translation>--rename: %1</translation>
    </message>
    <message>
        <source>按模式给输出命名（扩展名按 --format 或原图的）：{name} 原文件名（不含扩展名）、{w} 和 {h} 输出的宽和高（有多个 --size 时为第一个的）、{n} 图片序号（按文件名排序，从 1 起；{n:3} 补零到 3 位）、{ext} 原扩展名，{{ 和 }} 为花括号本身，如 {name}_{w}x{h}、photo_{n:3}。得到空名、含 / 或两张图片同名的模式在转换前拒绝</source>
        <translation>name the outputs by a pattern (the extension is --format&apos;s or the source&apos;s): {name} the source&apos;s name without its extension, {w} and {h} the output&apos;s width and height (the first --size&apos;s when there are several), {n} the picture&apos;s number (in the order of the names, from 1; {n:3} zero-padded to 3 digits), {ext} the source&apos;s extension, {{ and }} a brace, e.g. {name}_{w}x{h}, photo_{n:3}. A pattern that gives an empty name, a / or two pictures the same name is refused before the run</translation>
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
        <source>tarvel：此系统的内核没有 Landlock，转换进程少了这一层限制，其余的限制照常有效。
</source>
        <translation>tarvel: this system&apos;s kernel has no Landlock; the converters run without that wall, the others still stand.
</translation>
    </message>
    <message>
        <source>tarvel：此系统不允许转换进程有自己的命名空间，其余的限制照常有效。
</source>
        <translation>tarvel: this system does not let the converters have namespaces of their own; the other walls still stand.
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
    <message>
        <source>已中止</source>
        <translation>stopped</translation>
    </message>
    <message>
        <source>转换程序返回了无效数据</source>
        <translation>the converter returned invalid data</translation>
    </message>
    <message>
        <source>WebP图像(*.webp)</source>
        <translation>WebP picture (*.webp)</translation>
    </message>
    <message>
        <source>HEIC图像(*.heic)</source>
        <translation>HEIC picture (*.heic)</translation>
    </message>
    <message>
        <source>HEIF图像(*.heif)</source>
        <translation>HEIF picture (*.heif)</translation>
    </message>
    <message>
        <source>HEIF图像(*.hif)</source>
        <translation>HEIF picture (*.hif)</translation>
    </message>
    <message>
        <source>AVIF图像(*.avif)</source>
        <translation>AVIF picture (*.avif)</translation>
    </message>
    <message>
        <source>JPEG XL图像(*.jxl)</source>
        <translation>JPEG XL picture (*.jxl)</translation>
    </message>
    <message>
        <source>无法编码</source>
        <comment>a picture the encoder refused while aiming at a file size</comment>
        <translation>cannot be encoded</translation>
    </message>
    <message>
        <source>无法压到 %1 字节以内：最小做到 %2 字节（%3×%4，质量 %5）</source>
        <comment>a file-size ceiling not reached; the nearest size, dimensions and quality</comment>
        <translation>cannot be made %1 bytes or smaller: the smallest reached is %2 bytes (%3×%4, quality %5)</translation>
    </message>
    <message>
        <source>达不到 %1 字节：不超出上限时最大做到 %2 字节（%3×%4，质量 %5）</source>
        <comment>a file-size floor not reached; the nearest size, dimensions and quality</comment>
        <translation>cannot reach %1 bytes: the largest within the ceiling is %2 bytes (%3×%4, quality %5)</translation>
    </message>
    <message>
        <source>文件大小达不到要求</source>
        <translation>file size out of the range asked for</translation>
    </message>
</context>
<context>
    <name>platform</name>
    <message>
        <source>提示</source>
        <comment>the title of every notice</comment>
        <translation>Tarvel</translation>
    </message>
    <message>
        <source>打开文件夹</source>
        <translation>Open folder</translation>
    </message>
</context>
<context>
    <name>window::SettingsDialog</name>
    <message>
        <source>导出预设</source>
        <translation>Export Presets</translation>
    </message>
    <message>
        <source>预设文件</source>
        <translation>Preset files</translation>
    </message>
    <message>
        <source>选择…</source>
        <translation>Choose…</translation>
    </message>
    <message>
        <source>选择颜色</source>
        <translation>Choose a colour</translation>
    </message>
    <message>
        <source>转换设置与预设</source>
        <translation>Conversion settings and presets</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>预设(&amp;P)</source>
        <translation>&amp;Preset</translation>
    </message>
    <message>
        <source>预设</source>
        <translation>Preset</translation>
    </message>
    <message>
        <source>启动时使用这个预设(&amp;U)</source>
        <translation>&amp;Use at start</translation>
    </message>
    <message>
        <source>新预设的名称</source>
        <translation>Name of the new preset</translation>
    </message>
    <message>
        <source>存为预设(&amp;A)</source>
        <translation>S&amp;ave as preset</translation>
    </message>
    <message>
        <source>导出(&amp;X)…</source>
        <translation>E&amp;xport…</translation>
    </message>
    <message>
        <source>导入(&amp;I)…</source>
        <translation>&amp;Import…</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>缩放到最大宽高之内</source>
        <translation>Fit inside the maximum width and height</translation>
    </message>
    <message>
        <source>长边</source>
        <translation>Long edge</translation>
    </message>
    <message>
        <source>百分比</source>
        <translation>Percent</translation>
    </message>
    <message>
        <source>正好宽×高：填满后裁剪</source>
        <translation>Exactly width × height: fill and crop</translation>
    </message>
    <message>
        <source>正好宽×高：加边</source>
        <translation>Exactly width × height: pad with borders</translation>
    </message>
    <message>
        <source>正好宽×高：拉伸</source>
        <translation>Exactly width × height: stretch</translation>
    </message>
    <message>
        <source>尺寸方式(&amp;M)</source>
        <translation>Size &amp;mode</translation>
    </message>
    <message>
        <source> 像素</source>
        <translation> pixels</translation>
    </message>
    <message>
        <source>长边(&amp;L)</source>
        <translation>&amp;Long edge</translation>
    </message>
    <message>
        <source>百分比(&amp;R)</source>
        <translation>Pe&amp;rcent</translation>
    </message>
    <message>
        <source>居中</source>
        <translation>Centre</translation>
    </message>
    <message>
        <source>上</source>
        <translation>Top</translation>
    </message>
    <message>
        <source>下</source>
        <translation>Bottom</translation>
    </message>
    <message>
        <source>左</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>右</source>
        <translation>Right</translation>
    </message>
    <message>
        <source>左上</source>
        <translation>Top left</translation>
    </message>
    <message>
        <source>右上</source>
        <translation>Top right</translation>
    </message>
    <message>
        <source>左下</source>
        <translation>Bottom left</translation>
    </message>
    <message>
        <source>右下</source>
        <translation>Bottom right</translation>
    </message>
    <message>
        <source>裁剪或加边的位置(&amp;N)</source>
        <translation>A&amp;nchor of crop or borders</translation>
    </message>
    <message>
        <source>边的颜色</source>
        <translation>Border colour</translation>
    </message>
    <message>
        <source>边的颜色(&amp;D)</source>
        <translation>Bor&amp;der colour</translation>
    </message>
    <message>
        <source>格式自带（JPEG 为 100）</source>
        <translation>The format&apos;s own (JPEG 100)</translation>
    </message>
    <message>
        <source>质量（有损格式）(&amp;Q)</source>
        <translation>&amp;Quality (lossy formats)</translation>
    </message>
    <message>
        <source>不限，如 50K</source>
        <translation>No limit, e.g. 50K</translation>
    </message>
    <message>
        <source>文件不超过(&amp;S)</source>
        <translation>File at mo&amp;st</translation>
    </message>
    <message>
        <source>不限，如 20K</source>
        <translation>No limit, e.g. 20K</translation>
    </message>
    <message>
        <source>文件不少于(&amp;F)</source>
        <translation>&amp;File at least</translation>
    </message>
    <message>
        <source>按钮底色（默认）</source>
        <translation>Button face (default)</translation>
    </message>
    <message>
        <source>白色</source>
        <translation>White</translation>
    </message>
    <message>
        <source>其他颜色</source>
        <translation>Another colour</translation>
    </message>
    <message>
        <source>透明部分的颜色</source>
        <translation>Colour under transparent parts</translation>
    </message>
    <message>
        <source>透明部分铺底（JPEG、BMP）(&amp;G)</source>
        <translation>Back&amp;ground of transparent parts (JPEG, BMP)</translation>
    </message>
    <message>
        <source>不写</source>
        <translation>None</translation>
    </message>
    <message>
        <source>DPI(&amp;T)</source>
        <translation>DP&amp;I</translation>
    </message>
    <message>
        <source>批量转换的新文件名：{name} 原名，{w} 宽，{h} 高，{n} 序号（{n:3} 为 001）</source>
        <translation>The batch&apos;s new file names: {name} the old name, {w} the width, {h} the height, {n} the number ({n:3} gives 001)</translation>
    </message>
    <message>
        <source>批量重命名(&amp;Y)</source>
        <translation>Rename batch outputs (&amp;Y)</translation>
    </message>
    <message>
        <source>保留日期(&amp;K)</source>
        <translation>&amp;Keep dates</translation>
    </message>
    <message>
        <source>保留相机信息(&amp;J)</source>
        <translation>Keep camera data (&amp;J)</translation>
    </message>
    <message>
        <source>也保留拍摄地点(&amp;O)</source>
        <translation>Also keep the l&amp;ocation</translation>
    </message>
    <message>
        <source>不比原图大(&amp;V)</source>
        <translation>Ne&amp;ver larger</translation>
    </message>
    <message>
        <source>%1 × %2</source>
        <translation>%1 × %2</translation>
    </message>
    <message>
        <source>（自己的设置）</source>
        <translation>(Your own settings)</translation>
    </message>
    <message>
        <source>还没有自己的预设可以导出：先用“存为预设”保存一个。</source>
        <translation>There is no preset of your own to export yet: save one with &quot;Save as preset&quot; first.</translation>
    </message>
    <message>
        <source>导入预设</source>
        <translation>Import Presets</translation>
    </message>
    <message>
        <source>转换结果比原图大，而原图已是同一格式、正好是目标尺寸时，直接复制原图</source>
        <translation>When the result is larger than the source, and the source already has the format and exactly the size wanted, the source is copied</translation>
    </message>
    <message>
        <source>透明部分铺底</source>
        <translation>Background of transparent parts</translation>
    </message>
    <message>
        <source>正好 %1（主窗口的最大限宽和最大限高）</source>
        <translation>Exactly %1 (the main window&apos;s maximum width and height)</translation>
    </message>
    <message>
        <source>不超过 %1（主窗口的最大限宽和最大限高）</source>
        <translation>At most %1 (the main window&apos;s maximum width and height)</translation>
    </message>
    <message>
        <source>结果正好是主窗口的最大限宽 × 最大限高；不勾“小图放大”时，较小的图片不放大，余下的部分加边。</source>
        <translation>The result is exactly the main window&apos;s maximum width × maximum height; without &quot;Enlarge small&quot;, a smaller picture is not enlarged and the rest is bordered.</translation>
    </message>
</context>
<context>
    <name>window::SizeFields</name>
    <message>
        <source>这里只能输入数字。</source>
        <translation>Only digits can be typed here.</translation>
    </message>
    <message>
        <source>“%1”太长，最多 %2 位，未被接受。</source>
        <translation>“%1” is too long (%2 digits at most) and was not taken.</translation>
    </message>
    <message>
        <source>“%1”大于最大值 %2，未被接受。</source>
        <translation>“%1” is above the largest value, %2, and was not taken.</translation>
    </message>
</context>
<context>
    <name>window::frmMain</name>
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
        <source>要转换的图片</source>
        <translation>Picture to convert</translation>
    </message>
    <message>
        <source>图片转换后的新名称</source>
        <translation>New name</translation>
    </message>
    <message>
        <source>格式:</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>格式</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>源文件夹</source>
        <translation>Source folder</translation>
    </message>
    <message>
        <source>输出文件夹</source>
        <translation>Output folder</translation>
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
        <source>单张转换</source>
        <translation>Single picture</translation>
    </message>
    <message>
        <source>批量转换</source>
        <translation>Batch</translation>
    </message>
    <message>
        <source>小图放大</source>
        <translation>Enlarge small</translation>
    </message>
    <message>
        <source>选择图片</source>
        <translation>Picture...</translation>
    </message>
    <message>
        <source>开始转换</source>
        <translation>Convert</translation>
    </message>
    <message>
        <source>源文件夹</source>
        <comment>button</comment>
        <translation>Folder...</translation>
    </message>
    <message>
        <source>输出到</source>
        <translation>Output...</translation>
    </message>
    <message>
        <source>开始批量转换</source>
        <translation>Convert all pictures</translation>
    </message>
    <message>
        <source>找不到“%1”。</source>
        <translation>&quot;%1&quot; was not found.</translation>
    </message>
    <message>
        <source>%1/%2 – %3 – %4</source>
        <comment>pictures done, pictures in all, the last one done, the window&apos;s title</comment>
        <translation>%1/%2 – %3 – %4</translation>
    </message>
    <message>
        <source>正在停止…</source>
        <translation>Stopping…</translation>
    </message>
    <message>
        <source>正在停止… – %1</source>
        <translation>Stopping… – %1</translation>
    </message>
    <message>
        <source>停止转换</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>打开文件夹</source>
        <translation>Open folder</translation>
    </message>
    <message>
        <source>“.”和“..”代表文件夹，不能作为新图像的名称！</source>
        <translation>&quot;.&quot; and &quot;..&quot; stand for folders and cannot name the new picture.</translation>
    </message>
    <message>
        <source>新图像的名称不能以“.”开头（那会是一个隐藏文件）！</source>
        <translation>The new picture&apos;s name cannot start with &quot;.&quot; (that would make a hidden file).</translation>
    </message>
    <message>
        <source>新图像的名称不能包含“/”，它只能保存在原图所在的文件夹！</source>
        <translation>The new picture&apos;s name cannot contain &quot;/&quot;: it is saved in the folder of its source.</translation>
    </message>
    <message>
        <source>新图像的名称不能包含空字符！</source>
        <translation>The new picture&apos;s name cannot contain a NUL character.</translation>
    </message>
    <message>
        <source>请选择新图像的格式！</source>
        <translation>Please choose the new picture&apos;s format.</translation>
    </message>
    <message>
        <source>“%1”不是可以保存的格式，请从格式列表中选择。</source>
        <translation>&quot;%1&quot; is not a format that can be saved; please choose one from the format list.</translation>
    </message>
    <message>
        <source>%1 转换失败：%2</source>
        <translation>%1 could not be converted: %2</translation>
    </message>
    <message>
        <source>保持原格式</source>
        <translation>Same as source</translation>
    </message>
    <message>
        <source>输出格式</source>
        <translation>Output format</translation>
    </message>
    <message>
        <source>“%1”不是文件夹，也不是可以转换的图片（%2）。</source>
        <translation>&quot;%1&quot; is neither a folder nor a picture that can be converted (%2).</translation>
    </message>
    <message>
        <source>可修改的图片格式：%1</source>
        <translation>Formats it converts: %1</translation>
    </message>
    <message>
        <source>请填写图片的缩放最大限宽：1 到 %1 之间的整数！</source>
        <translation>Enter the largest width: a whole number from 1 to %1.</translation>
    </message>
    <message>
        <source>请填写图片缩放的最大限高：1 到 %1 之间的整数！</source>
        <translation>Enter the largest height: a whole number from 1 to %1.</translation>
    </message>
    <message>
        <source>所有图片</source>
        <translation>All pictures</translation>
    </message>
    <message numerus="yes">
        <source>找到 %n 张图片</source>
        <translation>
            <numerusform>%n picture found</numerusform>
            <numerusform>%n pictures found</numerusform>
        </translation>
    </message>
    <message>
        <source>(最大值限定%1)</source>
        <translation>(at most %1)</translation>
    </message>
    <message>
        <source>重命名规则不能用于这些图片：%1</source>
        <translation>The rename pattern cannot name these pictures: %1</translation>
    </message>
    <message>
        <source>转换设置与预设</source>
        <translation>Conversion settings and presets</translation>
    </message>
    <message>
        <source>尺寸方式、质量、文件大小、DPI、重命名、保留的信息和预设（Alt+T）</source>
        <translation>Size mode, quality, file size, DPI, renaming, what is kept, and presets (Alt+T)</translation>
    </message>
    <message>
        <source>转换设置与预设（Alt+T）</source>
        <translation>Conversion settings and presets (Alt+T)</translation>
    </message>
    <message>
        <source>转换设置有误：%1</source>
        <translation>The conversion settings are wrong: %1</translation>
    </message>
    <message>
        <source>%1 – %2</source>
        <comment>the window&apos;s title, the preset in use</comment>
        <translation>%1 – %2</translation>
    </message>
</context>
<context>
    <name>workflow</name>
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
        <comment>the decoder&apos;s own message</comment>
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
    <message>
        <source>转换已停止：成功 %1 个，失败 %2 个，未开始 %3 个。</source>
        <translation>Conversion stopped: %1 converted, %2 failed, %3 not started.</translation>
    </message>
    <message>
        <source>
以下文件未能转换：</source>
        <translation>
These files could not be converted:</translation>
    </message>
    <message>
        <source>转换成功。</source>
        <translation>Converted.</translation>
    </message>
    <message>
        <source>另有 %1 张图片转换后会与别的图片同名，改用了新名称（见详细信息）。</source>
        <translation>%1 more pictures would have had the name of another one and got new names (see the details).</translation>
    </message>
    <message>
        <source>以下图片转换后会与别的图片同名，为了不互相覆盖，改用了新名称：</source>
        <translation>These pictures would have had the name of another one; so that none is written over another, they got new names:</translation>
    </message>
    <message>
        <source>“%1”不是文件大小：请写字节数，或带 K、M 的数，如 50K、2M</source>
        <comment>a file size typed wrongly</comment>
        <translation>“%1” is not a file size: give bytes, or a number with K or M, such as 50K or 2M</translation>
    </message>
    <message>
        <source>文件大小“%1”超出范围</source>
        <comment>a file size of 0 or too large</comment>
        <translation>the file size “%1” is out of range</translation>
    </message>
    <message>
        <source>“%1”不是位置：可选 centre、top、bottom、left、right、top-left、top-right、bottom-left、bottom-right</source>
        <comment>an anchor of a crop or a border typed wrongly</comment>
        <translation>“%1” is not a position: choose centre, top, bottom, left, right, top-left, top-right, bottom-left or bottom-right</translation>
    </message>
    <message>
        <source>“%1”不是颜色：请写 #RRGGBB，如 #FFFFFF</source>
        <comment>a colour typed wrongly</comment>
        <translation>“%1” is not a colour: give #RRGGBB, such as #FFFFFF</translation>
    </message>
    <message>
        <source>“%1”不是尺寸方式：可选 inside、long-edge、percent、fill、pad、stretch</source>
        <comment>a size mode typed wrongly</comment>
        <translation>“%1” is not a size mode: choose inside, long-edge, percent, fill, pad or stretch</translation>
    </message>
    <message>
        <source>宽和高须在 1 到 %1 之间</source>
        <translation>the width and height must be from 1 to %1</translation>
    </message>
    <message>
        <source>长边须在 1 到 %1 之间</source>
        <translation>the long edge must be from 1 to %1</translation>
    </message>
    <message>
        <source>百分比须在 0.01 到 10000 之间</source>
        <translation>the percentage must be from 0.01 to 10000</translation>
    </message>
    <message>
        <source>质量须在 1 到 100 之间</source>
        <translation>the quality must be from 1 to 100</translation>
    </message>
    <message>
        <source>DPI 须在 1 到 %1 之间</source>
        <translation>the DPI must be from 1 to %1</translation>
    </message>
    <message>
        <source>文件大小超出范围</source>
        <translation>a file size is out of range</translation>
    </message>
    <message>
        <source>文件大小下限（至少 %1 字节）高于上限（至多 %2 字节）</source>
        <comment>a file-size floor above the ceiling</comment>
        <translation>the smallest file size (at least %1 bytes) is above the largest (at most %2 bytes)</translation>
    </message>
    <message>
        <source>考试报名照 295×413，20–50 KB</source>
        <comment>a built-in preset</comment>
        <translation>Exam application photo 295×413, 20–50 KB</translation>
    </message>
    <message>
        <source>二寸证件照 413×579，20–100 KB</source>
        <comment>a built-in preset</comment>
        <translation>2-inch ID photo 413×579, 20–100 KB</translation>
    </message>
    <message>
        <source>小二寸证件照 390×567，20–100 KB</source>
        <comment>a built-in preset</comment>
        <translation>Small 2-inch ID photo 390×567, 20–100 KB</translation>
    </message>
    <message>
        <source>网上报名小照 150×200，至多 50 KB</source>
        <comment>a built-in preset</comment>
        <translation>Small online application photo 150×200, at most 50 KB</translation>
    </message>
    <message>
        <source>学籍照片 480×640，20–100 KB</source>
        <comment>a built-in preset</comment>
        <translation>Student record photo 480×640, 20–100 KB</translation>
    </message>
    <message>
        <source>分享：长边 1920</source>
        <comment>a built-in preset</comment>
        <translation>Sharing: long edge 1920</translation>
    </message>
    <message>
        <source>不是 JSON 文件（第 %1 个字节处：%2）</source>
        <comment>a damaged preset file</comment>
        <translation>not a JSON file (at byte %1: %2)</translation>
    </message>
    <message>
        <source>不是本程序的预设文件</source>
        <comment>a JSON file that holds no presets</comment>
        <translation>not a preset file of this program</translation>
    </message>
    <message>
        <source>预设“%1”：%2</source>
        <comment>a preset&apos;s name and what is wrong with it</comment>
        <translation>preset “%1”: %2</translation>
    </message>
    <message>
        <source>无法读取预设文件 %1：%2</source>
        <comment>a preset file and why it cannot be read</comment>
        <translation>cannot read the preset file %1: %2</translation>
    </message>
    <message>
        <source>预设文件 %1 已损坏，未作改动：%2</source>
        <comment>a damaged preset file, left as it is</comment>
        <translation>the preset file %1 is damaged and was left as it is: %2</translation>
    </message>
    <message>
        <source>无法写入预设文件 %1</source>
        <comment>a preset file that cannot be written</comment>
        <translation>cannot write the preset file %1</translation>
    </message>
    <message>
        <source>预设的名称是空的</source>
        <translation>the preset has no name</translation>
    </message>
    <message>
        <source>“%1”是内置预设的名称</source>
        <comment>a user&apos;s preset named like a built-in one</comment>
        <translation>“%1” is the name of a built-in preset</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <comment>a preset file and what is wrong with it</comment>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>命名规则给“%1”的名称是空的</source>
        <comment>a rename pattern that gives an empty name</comment>
        <translation>the rename pattern gives “%1” an empty name</translation>
    </message>
    <message>
        <source>命名规则给“%1”的名称“%2”以“.”开头，会成为隐藏文件</source>
        <comment>a rename pattern that gives a hidden name</comment>
        <translation>the rename pattern gives “%1” the name “%2”, which starts with “.” and would be hidden</translation>
    </message>
    <message>
        <source>命名规则给“%1”的名称太长</source>
        <comment>a rename pattern that gives a name over 255 bytes</comment>
        <translation>the rename pattern gives “%1” a name too long for a file</translation>
    </message>
    <message>
        <source>命名规则给“%1”和“%2”的名称相同（%3）：请加入 {name} 或 {n}</source>
        <comment>a rename pattern that names two pictures alike</comment>
        <translation>the rename pattern gives “%1” and “%2” the same name (%3): add {name} or {n}</translation>
    </message>
    <message>
        <source>不是本程序的设置文件</source>
        <comment>a JSON file that holds no window settings</comment>
        <translation>not a settings file of this program</translation>
    </message>
    <message>
        <source>无法读取设置文件 %1：%2</source>
        <comment>a settings file and why it cannot be read</comment>
        <translation>cannot read the settings file %1: %2</translation>
    </message>
    <message>
        <source>设置文件 %1 已损坏，改用默认设置：%2</source>
        <comment>a damaged settings file</comment>
        <translation>the settings file %1 is damaged; the default settings are used: %2</translation>
    </message>
    <message>
        <source>无法写入设置文件 %1</source>
        <comment>a settings file that cannot be written</comment>
        <translation>cannot write the settings file %1</translation>
    </message>
</context>
<context>
    <name>workflow::Reader</name>
    <message>
        <source>“%1”的值不对</source>
        <comment>a key of a preset with a value of the wrong kind</comment>
        <translation>the value of “%1” is wrong</translation>
    </message>
    <message>
        <source>不认识“%1”这一项</source>
        <comment>an unknown key in a preset</comment>
        <translation>“%1” is not a known setting</translation>
    </message>
</context>
<context>
    <name>workflow::RenamePattern</name>
    <message>
        <source>命名规则是空的</source>
        <translation>the rename pattern is empty</translation>
    </message>
    <message>
        <source>命名规则“%1”含有“/”：只能给出文件名，不能含文件夹</source>
        <comment>a rename pattern with a slash</comment>
        <translation>the rename pattern “%1” contains “/”: it gives a file name, not folders</translation>
    </message>
    <message>
        <source>命名规则“%1”有多余的“}”</source>
        <comment>a rename pattern with an unmatched closing brace</comment>
        <translation>the rename pattern “%1” has a “}” without its “{”</translation>
    </message>
    <message>
        <source>命名规则“%1”的“{”没有对应的“}”</source>
        <comment>a rename pattern with an open brace</comment>
        <translation>the rename pattern “%1” has a “{” without its “}”</translation>
    </message>
    <message>
        <source>命名规则里没有“{%1}”这一项：可用 {name}、{w}、{h}、{n}、{n:3}、{ext}</source>
        <comment>an unknown field of a rename pattern</comment>
        <translation>a rename pattern has no field “{%1}”: use {name}, {w}, {h}, {n}, {n:3} or {ext}</translation>
    </message>
</context>
</TS>
