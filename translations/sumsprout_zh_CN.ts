<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="zh_CN">
<context>
    <name>Journal</name>
    <message>
        <location filename="../progress/Journal.cpp" line="+162"/>
        <source>做题记录写不进去，这次游戏不再记录。
文件：%1
原因：%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+23"/>
        <source>Qt 的 SQLite 驱动（QSQLITE）没有安装</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+45"/>
        <source>这个文件是更新版本的游戏写的（版本 %1），这里只认识到版本 %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+45"/>
        <source>写入没有完成</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MasteryGrid</name>
    <message>
        <location filename="../progress/MasteryGrid.cpp" line="+50"/>
        <source>没做过</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>常做错</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>有对有错</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>大多做对</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+72"/>
        <source>%1：还没做过</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1：做了%2次，一次做对%3次</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ReportFigures</name>
    <message>
        <location filename="../progress/ReportFigures.cpp" line="+48"/>
        <source>%1起</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+93"/>
        <source>加法</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>减法</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>乘法</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>除法</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RhymeText</name>
    <message>
        <location filename="../engines/MulAlgo.cpp" line="+12"/>
        <source>零</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>一</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>二</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>三</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>四</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>五</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>六</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>七</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>八</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>九</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+17"/>
        <source>得%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>一十</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>十%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1十</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RuntimeError</name>
    <message>
        <location filename="../characters/uAnimation.cpp" line="+211"/>
        <source>Cell size %1x%2 is not valid: &quot;%3&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../platform/Bitmap.cpp" line="+759"/>
        <source>Bitmap image is not valid: &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../platform/DataFolders.cpp" line="+37"/>
        <source>The folder cannot be created.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+47"/>
        <source>There is no home folder.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../platform/Errors.cpp" line="+9"/>
        <source>Cannot open file &quot;%1&quot;. %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>&apos;%1&apos; is not a valid integer value</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>List index out of bounds (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../platform/TextFiles.cpp" line="+62"/>
        <source>No converter from %1 to %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+55"/>
        <source>Not a regular file</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Scene</name>
    <message>
        <location filename="../game/Scene.cpp" line="+97"/>
        <source>现在没有</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>能用的题型。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>请点右边的</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>“设置”</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>选择题型。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TAboutForm</name>
    <message>
        <location filename="../settings/uAbout.cpp" line="+33"/>
        <source>关于</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+12"/>
        <source>祝您孩子早日成材！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+16"/>
        <source>关闭</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+17"/>
        <source>网址：    </source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TDec</name>
    <message>
        <location filename="../engines/DecAlgo.cpp" line="+166"/>
        <source>借%1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TDiv</name>
    <message>
        <location filename="../engines/DivAlgo.cpp" line="+426"/>
        <source>零乘任何数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>得零</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>一乘任何数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>等于任何数</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TMainForm</name>
    <message>
        <location filename="../app/Main.cpp" line="+127"/>
        <source>做题耗时%1:%2:%3      做题总数%4道</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>&lt;p style=&apos;font-size:32px; color:#ffe066;&apos;&gt;&lt;b&gt;游戏没能开始&lt;/b&gt;&lt;/p&gt;&lt;p&gt;游戏要用的文件出了问题：&lt;/p&gt;&lt;p style=&apos;color:#ffb0a0;&apos;&gt;%1&lt;/p&gt;&lt;p&gt;重新安装游戏，或者把 Set 文件夹恢复成原来的样子（比如从备份里拷回来），一般就能解决。&lt;/p&gt;&lt;p&gt;点右上角的“退出”或者按 Esc 键，可以关闭游戏。&lt;/p&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+28"/>
        <source>退出</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>关于</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>成绩</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <location line="+1"/>
        <location line="+341"/>
        <location line="+1"/>
        <source>%1个</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-335"/>
        <source>我做题</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>换另一个人</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+46"/>
        <source>我知道了！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>擦掉</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>结</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>果</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>是</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+166"/>
        <source>结束游戏吗？</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>询问</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+106"/>
        <source>%1做题</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TMul</name>
    <message>
        <location filename="../engines/MulAlgo.cpp" line="+452"/>
        <source>零乘任何数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>得零</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TReportForm</name>
    <message>
        <location filename="../progress/uReport.cpp" line="+51"/>
        <source>%1秒</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+50"/>
        <location line="+111"/>
        <source>做完的题</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-99"/>
        <source>每天做完的题（道）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+17"/>
        <location line="+83"/>
        <location line="+28"/>
        <source>答对的比例</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-96"/>
        <source>各种算式答对的比例</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+19"/>
        <source>每道题用的时间（中位数，秒）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+48"/>
        <location line="+2"/>
        <location line="+38"/>
        <source>%1道</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-38"/>
        <source>看了提示的题</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1个</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>挣到的硬币</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+25"/>
        <source>算式</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>做完</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>每题用时（中位数）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+24"/>
        <source>最常做错的题</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>这段时间没有做错的题，真棒！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>错了%1次</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+23"/>
        <source>乘法口诀表</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>20以内加法</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>20以内减法</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+39"/>
        <source>成绩</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>最近7天</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>最近30天</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>全部</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+125"/>
        <source>改名字</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-124"/>
        <location line="+162"/>
        <location line="+7"/>
        <source>导出</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-168"/>
        <source>关闭</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>谁：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>时间：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+76"/>
        <source>%1的成绩（%2）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+15"/>
        <source>没有做题记录。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>做题记录打不开：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>这段时间还没有做题记录。
先去做几道题，再来看看成绩吧！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+19"/>
        <source>新名字（最多五个汉字或十个字母）：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+39"/>
        <location line="+6"/>
        <source>确定</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-44"/>
        <source>取消</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+22"/>
        <source>成绩-%1-%2.pdf</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>导出成绩</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+11"/>
        <source>成绩已经导出：
%1
%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <source>导出没有成功。
%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>%1：%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+21"/>
        <source>文件写不进去</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+22"/>
        <source>导出时间：%1    第%2页，共%3页</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+28"/>
        <source>文件写不完整</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TSetForm</name>
    <message>
        <location filename="../settings/uSet.cpp" line="+92"/>
        <location line="+30"/>
        <source>设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-16"/>
        <source>加法设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>减法设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>乘法设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>除法设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+12"/>
        <source>选项</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+17"/>
        <source>小朋友是</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>男孩</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>女孩</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>选择的算术：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>加法</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>减法</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>乘法</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>除法</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>分步做题 (仅限加减法)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>进行提示</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>复习做错的题</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>确定</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>取消</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+127"/>
        <source>设置没有保存，所有设置文件都保持原样。
</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
