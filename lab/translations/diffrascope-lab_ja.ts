<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>Presets</name>
    <message>
        <source>&amp;Perfect aperture</source>
        <translation>完全な開口(&amp;P)</translation>
    </message>
    <message>
        <source>&amp;Suiter&apos;s quarter wave of under-correction (33 % obstruction, ±8 waves)</source>
        <translation>Suiter の 1/4 波長の補正不足 (遮蔽率 33 %, ±8 波長)(&amp;S)</translation>
    </message>
    <message>
        <source>Mis-collimated &amp;Newtonian (33 %, four 1 % vanes, 0.3 wave of coma)</source>
        <translation>光軸のずれたニュートン式 (33 %, 1 % の羽根 4 本, コマ 0.3 波長)(&amp;N)</translation>
    </message>
    <message>
        <source>&amp;Astigmatism (half a wave, ±4 waves)</source>
        <translation>非点収差 (0.5 波長, ±4 波長)(&amp;A)</translation>
    </message>
</context>
<context>
    <name>diffrascope::lab::Computer</name>
    <message>
        <source>No light passes the aperture.</source>
        <translation>開口を通る光がありません。</translation>
    </message>
    <message>
        <source>Memory is short for this grid.</source>
        <translation>この計算格子にはメモリが足りません。</translation>
    </message>
</context>
<context>
    <name>diffrascope::lab::Controls</name>
    <message>
        <source>λ at</source>
        <translation>λ 方位</translation>
    </message>
    <message>
        <source>°</source>
        <translation>°</translation>
    </message>
    <message>
        <source>waves</source>
        <translation>波長</translation>
    </message>
    <message>
        <source>mm</source>
        <translation>mm</translation>
    </message>
    <message>
        <source>Waves of defocus W020 at the pupil&apos;s edge, or mm of focuser travel (W = travel / (8 F² λ); needs the f-ratio).</source>
        <translation>瞳の縁でのデフォーカス W020 (波長単位)、またはフォーカサーの移動量 (mm; W = 移動量 / (8 F² λ)、F 値が必要)。</translation>
    </message>
    <message>
        <source>Telescope</source>
        <translation>望遠鏡</translation>
    </message>
    <message>
        <source>Central obstruction, in percent of the aperture&apos;s diameter (--obstruction).</source>
        <translation>中央遮蔽、開口の直径に対する百分率 (--obstruction)。</translation>
    </message>
    <message>
        <source>O&amp;bstruction</source>
        <translation>遮蔽率(&amp;B)</translation>
    </message>
    <message>
        <source>%</source>
        <translation>%</translation>
    </message>
    <message>
        <source>none</source>
        <translation>なし</translation>
    </message>
    <message>
        <source>×</source>
        <translation>×</translation>
    </message>
    <message>
        <source>% at</source>
        <translation>% 方位</translation>
    </message>
    <message>
        <source>Spider: vanes from the centre to the rim, evenly spaced, each this wide in percent of the diameter, the first at this angle, counterclockwise from the picture&apos;s +x axis (--spider).</source>
        <translation>スパイダー: 中心から縁までの等間隔の羽根。幅は直径に対する百分率、最初の羽根の方位は画像の +x 軸から反時計回りの角度 (--spider)。</translation>
    </message>
    <message>
        <source>Sp&amp;ider</source>
        <translation>スパイダー(&amp;I)</translation>
    </message>
    <message>
        <source>f-&amp;ratio</source>
        <translation>F 値(&amp;R)</translation>
    </message>
    <message>
        <source>Focal ratio: labels the defocus in mm of focuser travel, and lets focus be given in mm (--f-ratio).</source>
        <translation>F 値: デフォーカスをフォーカサーの移動量 (mm) でも表示し、焦点を mm で与えられるようにします (--f-ratio)。</translation>
    </message>
    <message>
        <source>Aberrations</source>
        <translation>収差</translation>
    </message>
    <message>
        <source>Spherical aberration W040 at the pupil&apos;s edge, in waves; positive is under-correction, whose intrafocal image has the bright outer ring (--spherical).</source>
        <translation>瞳の縁での球面収差 W040 (波長単位)。正は補正不足で、内側像の外周の環が明るくなります (--spherical)。</translation>
    </message>
    <message>
        <source>&amp;Spherical aberration</source>
        <translation>球面収差(&amp;S)</translation>
    </message>
    <message>
        <source>λ</source>
        <translation>λ</translation>
    </message>
    <message>
        <source>&amp;Coma</source>
        <translation>コマ収差(&amp;C)</translation>
    </message>
    <message>
        <source>Coma W131 u³ cos(θ − angle), in waves; its tail points along the angle, counterclockwise from the picture&apos;s +x axis (--coma).</source>
        <translation>コマ収差 W131 u³ cos(θ − 方位) (波長単位)。尾は画像の +x 軸から反時計回りに測った方位を向きます (--coma)。</translation>
    </message>
    <message>
        <source>&amp;Astigmatism</source>
        <translation>非点収差(&amp;A)</translation>
    </message>
    <message>
        <source>Astigmatism W222 u² cos²(θ − angle), in waves; at focus 0 its line lies along the angle (--astigmatism).</source>
        <translation>非点収差 W222 u² cos²(θ − 方位) (波長単位)。焦点 0 では線像がその方位に沿います (--astigmatism)。</translation>
    </message>
    <message>
        <source>Zer&amp;nike terms</source>
        <translation>ゼルニケ項(&amp;N)</translation>
    </message>
    <message>
        <source>Noll J</source>
        <translation>Noll J</translation>
    </message>
    <message>
        <source>waves RMS</source>
        <translation>波長 RMS</translation>
    </message>
    <message>
        <source>Zernike terms by Noll&apos;s index J (2 to 37), in waves RMS over the unobstructed pupil; J = 4 and 11 overlap focus and spherical aberration (--zernike).</source>
        <translation>Noll の番号 J (2〜37) によるゼルニケ項、遮蔽のない瞳での RMS (波長単位)。J = 4 と 11 は焦点と球面収差に重なります (--zernike)。</translation>
    </message>
    <message>
        <source>Add term</source>
        <translation>項を追加</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>Focus</source>
        <translation>焦点</translation>
    </message>
    <message>
        <source>Defocus of the middle panel; positive is extrafocal, the eyepiece racked outward (--focus in waves, --defocus-mm in mm).</source>
        <translation>中央のパネルのデフォーカス。正は外側 (接眼レンズを外へ引き出した側) (--focus は波長、--defocus-mm は mm)。</translation>
    </message>
    <message>
        <source>F&amp;ocus</source>
        <translation>焦点(&amp;O)</translation>
    </message>
    <message>
        <source>The star test&apos;s defocus either side of focus: the intrafocal and extrafocal panels (--startest in waves, --startest-mm in mm).</source>
        <translation>スターテストの焦点の前後のデフォーカス: 内側像と外側像のパネル (--startest は波長、--startest-mm は mm)。</translation>
    </message>
    <message>
        <source>Star-test &amp;defocus</source>
        <translation>スターテストのデフォーカス(&amp;D)</translation>
    </message>
    <message>
        <source>Light</source>
        <translation>光</translation>
    </message>
    <message>
        <source>Wavelength in nm: the reference at which every aberration is given, and the light itself unless white light is on (--wavelength).</source>
        <translation>波長 (nm): すべての収差の基準波長。白色光でなければ光そのものの波長 (--wavelength)。</translation>
    </message>
    <message>
        <source>&amp;Wavelength</source>
        <translation>波長(&amp;W)</translation>
    </message>
    <message>
        <source>nm</source>
        <translation>nm</translation>
    </message>
    <message>
        <source>White li&amp;ght</source>
        <translation>白色光(&amp;G)</translation>
    </message>
    <message>
        <source>the eye&apos;s response</source>
        <translation>目の感度</translation>
    </message>
    <message>
        <source>equal energy, FROM:TO:STEP nm</source>
        <translation>等エネルギー、FROM:TO:STEP nm</translation>
    </message>
    <message>
        <source>spectrum file</source>
        <translation>スペクトルファイル</translation>
    </message>
    <message>
        <source>White light: the eye&apos;s photopic response V(λ), every STEP nm with equal energy, or a file of &quot;nm weight&quot; lines; aberrations keep their optical path (--spectrum).</source>
        <translation>白色光: 目の明所視感度 V(λ)、STEP nm ごとの等エネルギー、または「nm 重み」の行からなるファイル。収差は光路差を保ちます (--spectrum)。</translation>
    </message>
    <message>
        <source>…</source>
        <translation>…</translation>
    </message>
    <message>
        <source>Choose a spectrum file</source>
        <translation>スペクトルファイルを選ぶ</translation>
    </message>
    <message>
        <source>Display</source>
        <translation>表示</translation>
    </message>
    <message>
        <source>&amp;Log scale</source>
        <translation>対数スケール(&amp;L)</translation>
    </message>
    <message>
        <source>Grey level 255 (1 + log10(I/Imax) / decades), to show the faint rings; off: the amplitude scale, 300 × the normalised amplitude (--display).</source>
        <translation>階調 255 (1 + log10(I/Imax) / 桁数) で淡い環を表示します。オフ: 振幅スケール、正規化振幅の 300 倍 (--display)。</translation>
    </message>
    <message>
        <source>Decades of intensity the log scale shows (--decades).</source>
        <translation>対数スケールで表示する強度の桁数 (--decades)。</translation>
    </message>
    <message>
        <source>decades</source>
        <translation>桁</translation>
    </message>
    <message>
        <source>Pixels along each side of a panel; drawn one to one on the screen (--panel).</source>
        <translation>パネル一辺の画素数。画面に等倍で描きます (--panel)。</translation>
    </message>
    <message>
        <source>Panel si&amp;ze</source>
        <translation>パネルの大きさ(&amp;Z)</translation>
    </message>
    <message>
        <source>px</source>
        <translation>px</translation>
    </message>
    <message>
        <source>Field wid&amp;th</source>
        <translation>視野の幅(&amp;T)</translation>
    </message>
    <message>
        <source>The width every panel shows, in λ/D, in whole grid pixels; off: the largest blur disc with a margin (--field).</source>
        <translation>各パネルが表示する幅 (λ/D、格子の画素単位)。オフ: 最大のぼけ円に余白を加えた幅 (--field)。</translation>
    </message>
    <message>
        <source>λ/D</source>
        <translation>λ/D</translation>
    </message>
    <message>
        <source>automatic</source>
        <translation>自動</translation>
    </message>
    <message>
        <source>Grid points per side; automatic: the smallest that samples the pupil and holds the field. One grid pixel is 110/λ λ/D at any size (--grid).</source>
        <translation>一辺の格子点数。自動: 瞳を標本化し視野を収める最小の格子。1 画素はどの大きさでも 110/λ λ/D です (--grid)。</translation>
    </message>
    <message>
        <source>Comp&amp;utation grid</source>
        <translation>計算格子(&amp;U)</translation>
    </message>
    <message>
        <source>Zoo&amp;m focus</source>
        <translation>焦点像を拡大(&amp;M)</translation>
    </message>
    <message>
        <source>Shows the focus panel at a field of its own, in whole grid pixels: the focus image is far smaller than the defocused discs (--focus-field).</source>
        <translation>焦点のパネルを独自の視野 (格子の画素単位) で表示します。焦点像はデフォーカスした円盤よりずっと小さいためです (--focus-field)。</translation>
    </message>
    <message>
        <source>Spectrum file</source>
        <translation>スペクトルファイル</translation>
    </message>
    <message>
        <source>Spectra (*.txt *.dat *.csv);;All files (*)</source>
        <translation>スペクトル (*.txt *.dat *.csv);;すべてのファイル (*)</translation>
    </message>
    <message>
        <source>Aperture</source>
        <translation>口径</translation>
    </message>
    <message>
        <source>The aperture&apos;s diameter: the exported metrics add the pixel scale, FWHM, EE50 and EE80 in arcseconds and, with the f-ratio, the focal length; exported FITS files add DIAM and PIXELSCL (--aperture-mm).</source>
        <translation>開口の直径: 書き出す測定値に画素スケール、FWHM、EE50、EE80 の秒角値と (F 値があれば) 焦点距離が加わり、書き出す FITS ファイルに DIAM と PIXELSCL が加わります (--aperture-mm)。</translation>
    </message>
    <message>
        <source>Linear scale</source>
        <translation>線形スケール</translation>
    </message>
    <message>
        <source>Grey level 255 I/Imax, to show an extended object&apos;s brightness in proportion (--display linear).</source>
        <translation>階調 255 I/Imax。広がった天体の明るさをそのままの比で見せます (--display linear)。</translation>
    </message>
</context>
<context>
    <name>diffrascope::lab::CurvePanel</name>
    <message>
        <source>Encircled energy</source>
        <translation>包囲エネルギー</translation>
    </message>
    <message>
        <source>radius (λ/D)</source>
        <translation>半径 (λ/D)</translation>
    </message>
    <message>
        <source>fraction</source>
        <translation>割合</translation>
    </message>
    <message>
        <source>MTF</source>
        <translation>MTF</translation>
    </message>
    <message>
        <source>frequency (cut-off D/λ)</source>
        <translation>周波数 (遮断周波数 D/λ 単位)</translation>
    </message>
    <message>
        <source>modulation</source>
        <translation>変調度</translation>
    </message>
    <message>
        <source>this system</source>
        <translation>この光学系</translation>
    </message>
    <message>
        <source>perfect</source>
        <translation>完全な開口</translation>
    </message>
    <message>
        <source>mean</source>
        <translation>平均</translation>
    </message>
    <message>
        <source>x</source>
        <translation>x</translation>
    </message>
    <message>
        <source>y</source>
        <translation>y</translation>
    </message>
    <message>
        <source>Focus image</source>
        <translation>焦点像</translation>
    </message>
    <message>
        <source>Strehl ratio</source>
        <translation>ストレール比</translation>
    </message>
    <message>
        <source>FWHM</source>
        <translation>半値全幅</translation>
    </message>
    <message>
        <source>EE50 radius</source>
        <translation>EE50 半径</translation>
    </message>
    <message>
        <source>EE80 radius</source>
        <translation>EE80 半径</translation>
    </message>
    <message>
        <source>EE at dark rings</source>
        <translation>暗環での EE</translation>
    </message>
    <message>
        <source>Peak offset</source>
        <translation>ピークのずれ</translation>
    </message>
    <message>
        <source>Encircled energy about the optical axis, as fractions of the whole grid&apos;s light; radii and widths in λ/D of the reference wavelength; the dark rings of the perfect unobstructed aperture lie at 1.22, 2.23 and 3.24 λ/D.</source>
        <translation>光軸まわりの包囲エネルギー (格子全体の光に対する割合)。半径と幅は基準波長の λ/D 単位。遮蔽のない完全な開口の暗環は 1.22、2.23、3.24 λ/D にあります。</translation>
    </message>
    <message>
        <source>beyond the grid</source>
        <translation>格子の外</translation>
    </message>
    <message>
        <source>%1 λ/D</source>
        <translation>%1 λ/D</translation>
    </message>
    <message>
        <source>%1, %2 λ/D</source>
        <translation>%1, %2 λ/D</translation>
    </message>
</context>
<context>
    <name>diffrascope::lab::FigureControls</name>
    <message>
        <source>Figure errors</source>
        <translation>鏡面の形状誤差</translation>
    </message>
    <message>
        <source>Errors of the mirror&apos;s figure beyond the aberrations, in waves at the wavelength; unchecked, none of them.</source>
        <translation>収差以外の鏡面の形状誤差 (基準波長の波長単位)。チェックを外すと、どれも加えません。</translation>
    </message>
    <message>
        <source>Turned edge</source>
        <translation>ターンドエッジ</translation>
    </message>
    <message>
        <source>Zones</source>
        <translation>ゾーン</translation>
    </message>
    <message>
        <source>A rough surface: a random wavefront of this RMS about its mean over the pupil (--roughness).</source>
        <translation>面の粗さ: 瞳での平均からの RMS がこの値になるランダムな波面 (--roughness)。</translation>
    </message>
    <message>
        <source>Roughness</source>
        <translation>面の粗さ</translation>
    </message>
    <message>
        <source>λ RMS</source>
        <translation>λ RMS</translation>
    </message>
    <message>
        <source>Frequencies</source>
        <translation>空間周波数</translation>
    </message>
    <message>
        <source>The roughness&apos;s random seed, 0 to %1: the same seed gives the same surface on every machine (--seed).</source>
        <translation>面の粗さの乱数シード (0 から %1): 同じシードはどの計算機でも同じ面を与えます (--seed)。</translation>
    </message>
    <message>
        <source>Seed</source>
        <translation>シード</translation>
    </message>
    <message>
        <source>Measured wa&amp;vefront</source>
        <translation>測定した波面(&amp;V)</translation>
    </message>
    <message>
        <source>λ from</source>
        <translation>λ、始点</translation>
    </message>
    <message>
        <source>of the radius</source>
        <translation>× 半径</translation>
    </message>
    <message>
        <source>A turned edge: DEPTH ((u − START)/(1 − START))² waves beyond the fraction START of the pupil&apos;s radius; a turned-down edge is negative, its rim focusing long (--turned-edge).</source>
        <translation>ターンドエッジ: 瞳の半径の START 倍より外側で DEPTH ((u − START)/(1 − START))² 波長。ターンドダウンエッジは負で、その縁は遠くに焦点を結びます (--turned-edge)。</translation>
    </message>
    <message>
        <source>radius</source>
        <translation>半径</translation>
    </message>
    <message>
        <source>height λ</source>
        <translation>高さ λ</translation>
    </message>
    <message>
        <source>width</source>
        <translation>幅</translation>
    </message>
    <message>
        <source>Zones, each HEIGHT exp(−((u − RADIUS)/WIDTH)²) waves: a raised ring, or a trough below 0; radius and width in units of the pupil&apos;s radius; up to %1 (--zone, once per zone).</source>
        <translation>ゾーン: それぞれ HEIGHT exp(−((u − RADIUS)/WIDTH)²) 波長の盛り上がった輪 (0 未満なら溝)。半径と幅は瞳の半径を単位とし、%1 個まで (--zone、ゾーンごとに 1 回)。</translation>
    </message>
    <message>
        <source>Add zone</source>
        <translation>ゾーンを追加</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>to</source>
        <translation>から</translation>
    </message>
    <message>
        <source>cycles per diameter</source>
        <translation>周期/直径</translation>
    </message>
    <message>
        <source>The band of the roughness&apos;s spatial frequencies, whole cycles per diameter: they scatter light into a halo at the same radii in λ/D (--roughness RMS@FROM:TO).</source>
        <translation>面の粗さの空間周波数の帯域 (直径あたりの整数の周期数): 同じ半径 (λ/D 単位) のハローに光を散乱します (--roughness RMS@FROM:TO)。</translation>
    </message>
    <message>
        <source>…</source>
        <translation>…</translation>
    </message>
    <message>
        <source>Choose a wavefront file</source>
        <translation>波面ファイルを選ぶ</translation>
    </message>
    <message>
        <source>A measured wavefront added to the other terms: a 2-D FITS image in waves at the wavelength, NaN outside the aperture, its width spanning the pupil (--wavefront).</source>
        <translation>他の項に加える測定した波面: 基準波長の波長単位の 2 次元 FITS 画像。開口の外は NaN、画像の幅が瞳の直径にあたります (--wavefront)。</translation>
    </message>
    <message>
        <source>Measured wavefront</source>
        <translation>測定した波面</translation>
    </message>
    <message>
        <source>FITS images (*.fits *.fit *.fts);;All files (*)</source>
        <translation>FITS 画像 (*.fits *.fit *.fts);;すべてのファイル (*)</translation>
    </message>
</context>
<context>
    <name>diffrascope::lab::LabWindow</name>
    <message>
        <source>Diffrascope Lab</source>
        <translation>Diffrascope Lab</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>ファイル(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Export sheet…</source>
        <translation>シートを書き出す(&amp;E)…</translation>
    </message>
    <message>
        <source>Export &amp;metrics…</source>
        <translation>測定値を書き出す(&amp;M)…</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>終了(&amp;Q)</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>編集(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;Copy as command</source>
        <translation>コマンドとしてコピー(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Reset to defaults</source>
        <translation>既定値に戻す(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Presets</source>
        <translation>プリセット(&amp;P)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>ヘルプ(&amp;H)</translation>
    </message>
    <message>
        <source>&amp;About Diffrascope Lab</source>
        <translation>Diffrascope Lab について(&amp;A)</translation>
    </message>
    <message>
        <source>Computing…</source>
        <translation>計算中…</translation>
    </message>
    <message>
        <source>Grid %1, %2 λ/D per pixel.</source>
        <translation>格子 %1、1 画素 %2 λ/D。</translation>
    </message>
    <message>
        <source>Warning: %1.</source>
        <translation>警告: %1。</translation>
    </message>
    <message>
        <source>Copied: %1</source>
        <translation>コピーしました: %1</translation>
    </message>
    <message>
        <source>Export sheet</source>
        <translation>シートを書き出す</translation>
    </message>
    <message>
        <source>PNG picture (*.png);;PGM picture (*.pgm);;FITS intensities (*.fits)</source>
        <translation>PNG 画像 (*.png);;PGM 画像 (*.pgm);;FITS 強度 (*.fits)</translation>
    </message>
    <message>
        <source>the picture could not be encoded</source>
        <translation>画像を符号化できませんでした</translation>
    </message>
    <message>
        <source>The sheet was not written: %1.</source>
        <translation>シートは書き出されませんでした: %1。</translation>
    </message>
    <message>
        <source>Export metrics</source>
        <translation>測定値を書き出す</translation>
    </message>
    <message>
        <source>JSON (*.json)</source>
        <translation>JSON (*.json)</translation>
    </message>
    <message>
        <source>The metrics were not written: %1.</source>
        <translation>測定値は書き出されませんでした: %1。</translation>
    </message>
    <message>
        <source>About Diffrascope Lab</source>
        <translation>Diffrascope Lab について</translation>
    </message>
    <message>
        <source>&lt;p&gt;&lt;b&gt;Diffrascope Lab&lt;/b&gt; %1&lt;/p&gt;&lt;p&gt;The star test of a telescope with a circular, possibly obstructed aperture: the images inside, at and outside focus, with the focus image&apos;s numbers and curves. Edit &amp;gt; Copy as command gives the diffrascope-render command that draws the same sheet.&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;b&gt;Diffrascope Lab&lt;/b&gt; %1&lt;/p&gt;&lt;p&gt;円形の (中央遮蔽があってもよい) 開口をもつ望遠鏡のスターテスト: 焦点の内側・焦点・外側の像と、焦点像の測定値と曲線。「編集 &amp;gt; コマンドとしてコピー」で同じシートを描く diffrascope-render のコマンドが得られます。&lt;/p&gt;</translation>
    </message>
    <message>
        <source>nothing is on screen yet</source>
        <translation>まだ何も表示されていません</translation>
    </message>
</context>
<context>
    <name>diffrascope::lab::PanelStrip</name>
    <message>
        <source>intrafocal</source>
        <translation>内側像</translation>
    </message>
    <message>
        <source>extrafocal</source>
        <translation>外側像</translation>
    </message>
    <message>
        <source>focus</source>
        <translation>焦点</translation>
    </message>
    <message>
        <source>field %1 λ/D</source>
        <translation>視野 %1 λ/D</translation>
    </message>
</context>
<context>
    <name>diffrascope::lab::SeeingControls</name>
    <message>
        <source>Seeing</source>
        <translation>シーイング</translation>
    </message>
    <message>
        <source>Seeing, r&amp;0</source>
        <translation>シーイング r0(&amp;0)</translation>
    </message>
    <message>
        <source>The Fried parameter r0 in cm at 500 nm, scaling as λ^(6/5): the long-exposure star image through the atmosphere; needs the aperture&apos;s diameter (--seeing).</source>
        <translation>フリード長 r0 (500 nm での cm, λ^(6/5) に比例): 大気を通した長時間露出の星像。口径が必要です (--seeing)。</translation>
    </message>
    <message>
        <source>cm at 500 nm</source>
        <translation>cm (500 nm)</translation>
    </message>
    <message>
        <source>S&amp;hort exposures</source>
        <translation>短時間露出(&amp;H)</translation>
    </message>
    <message>
        <source>Short exposures, each through its own Kolmogorov phase screen drawn from the seed: a sheet of the first 64, or their mean (--seeing-frames).</source>
        <translation>短時間露出: 各コマはシードから作るそれぞれのコルモゴロフ位相スクリーンを通します。最初の 64 コマの一覧、またはその平均 (--seeing-frames)。</translation>
    </message>
    <message>
        <source>frames</source>
        <translation>コマ</translation>
    </message>
    <message>
        <source>A&amp;verage the frames</source>
        <translation>コマを平均(&amp;V)</translation>
    </message>
    <message>
        <source>The mean of the frames, each star-test panel at its own focus (--average).</source>
        <translation>コマの平均。スターテストの各パネルはそれぞれのピント位置で (--average)。</translation>
    </message>
</context>
<context>
    <name>diffrascope::lab::SkyControls</name>
    <message>
        <source>Sky</source>
        <translation>空</translation>
    </message>
    <message>
        <source>SEP,DMAG[@PA]; …</source>
        <translation>SEP,DMAG[@PA]; …</translation>
    </message>
    <message>
        <source>Companions, separated by &apos;;&apos;: SEP arcseconds away, DMAG magnitudes fainter, at the position angle PA in degrees from north (up) through east (left), 90 unless given; up to 8 (--companion).</source>
        <translation>伴星を &apos;;&apos; で区切って: 離角 SEP 秒角、DMAG 等級暗く、位置角 PA は北 (上) から東 (左) へ回る度 (省略時 90); 8 個まで (--companion)。</translation>
    </message>
    <message>
        <source>Companions</source>
        <translation>伴星</translation>
    </message>
    <message>
        <source>Object</source>
        <translation>天体</translation>
    </message>
    <message>
        <source>A grey PNG, PGM or FITS picture seen through the telescope in place of the star (--object).</source>
        <translation>恒星の代わりに望遠鏡で見るグレーの PNG、PGM または FITS 画像 (--object)。</translation>
    </message>
    <message>
        <source>…</source>
        <translation>…</translation>
    </message>
    <message>
        <source>Choose an object&apos;s picture</source>
        <translation>天体の画像を選ぶ</translation>
    </message>
    <message>
        <source>The object&apos;s pixel in arcseconds (--object-scale).</source>
        <translation>天体画像の 1 画素の大きさ (秒角) (--object-scale)。</translation>
    </message>
    <message>
        <source>Object&apos;s pi&amp;xel</source>
        <translation>天体の画素(&amp;X)</translation>
    </message>
    <message>
        <source>″</source>
        <translation>″</translation>
    </message>
    <message>
        <source>brightest pixel 1</source>
        <translation>最も明るい画素を 1</translation>
    </message>
    <message>
        <source>total flux 1</source>
        <translation>全光量を 1</translation>
    </message>
    <message>
        <source>The intensities&apos; normalisation: the brightest pixel 1, or the pixels adding up to 1 (an object: to its own pixels&apos; sum); the grey levels still show the brightest white (--normalize).</source>
        <translation>強度の正規化: 最も明るい画素を 1、または画素の和を 1 (天体では天体画像の画素の和); 灰色の階調は最も明るい画素を白で示します (--normalize)。</translation>
    </message>
    <message>
        <source>Normalise</source>
        <translation>正規化</translation>
    </message>
    <message>
        <source>Scale bar</source>
        <translation>スケールバー</translation>
    </message>
    <message>
        <source>A scale bar on each panel, in arcseconds with the aperture, else in λ/D (--scale-bar).</source>
        <translation>各パネルにスケールバーを描きます。口径があれば秒角、なければ λ/D (--scale-bar)。</translation>
    </message>
    <message>
        <source>Object&apos;s picture</source>
        <translation>天体の画像</translation>
    </message>
    <message>
        <source>Grey pictures (*.png *.pgm *.fits *.fit *.fts)</source>
        <translation>グレー画像 (*.png *.pgm *.fits *.fit *.fts)</translation>
    </message>
</context>
</TS>
