#include "Messages.h"

#include "CodePage.h"
#include "Language.h"

std::string TMessage::Text() const { return Utf8ToAnsi(BuiltIn); }

const TMessage rsWrongQstText{"rsWrongQstText", "Строка %d: Ошибка в тексте вопроса."};
const TMessage rsAnsNotFound{"rsAnsNotFound", "Строка %d: Не найдены варианты ответов на вопросы."};
const TMessage rsWrongAnsText{"rsWrongAnsText", "Строка %d: Ошибка в варианте ответа на вопрос."};
const TMessage rsRightAnsNotFound{"rsRightAnsNotFound", "Строка %d: Нет ни одного верного ответа на вопрос."};
const TMessage rsCompileTime{"rsCompileTime", "Время компиляции:          %.2f сек"};
const TMessage rsQuestCount{"rsQuestCount", "Общее количество вопросов: %d"};
const TMessage rsQstFilesNotFound{"rsQstFilesNotFound", "Не найдено ни одного файла с вопросами"};
const TMessage rsConfirmClose{"rsConfirmClose", "Вы действительно хотите завершить работу с программой?"};
const TMessage rsNothingSelected{"rsNothingSelected",
                                 "Перед сохранением параметров необходимо выбрать темы контроля в предыдущем диалоге"};
const TMessage rsSelectFolder{"rsSelectFolder", "Выберите папку для хранения файла статистики:"};
const TMessage rsCaption{"rsCaption", "Квизор II - "};
const TMessage rsControlMode{"rsControlMode", "Контроль знаний"};
const TMessage rsTutorMode{"rsTutorMode", "Тренажёр"};
const TMessage rsQstNumber{"rsQstNumber", "№%d из %d"};
const TMessage rsFinished{"rsFinished", "Вы прошли "};
const TMessage rsTopics{"rsTopics", "по теме:"};
const TMessage rsTimeSpent{"rsTimeSpent", "Затрачено времени: "};
const TMessage rsMarkFmt{"rsMarkFmt", "Набрано баллов: %5.2g из %d\r\nВаша оценка: %4.1f"};
const TMessage rsStatFmtHdr{
    "rsStatFmtHdr",
    "Фамилия и Имя Учащегося       |Режим|Баллов|MAX|Средн|Оценка|Шк|Время начала|Время работы|Средн. время|"
    "Время окончания|Дата окончания|Имя компьютера      |Имя пользователя    |Тема"};
const TMessage rsStatFmt{"rsStatFmt",
                         "%-30.30s|%-5.5s|%6.2f|%3d|%5.2f|%6.1f|%-2.2s|%-12.12s|%-12.12s|%-12.12s|%-15.15s|%-14.14s|"
                         "%-20.20s|%-20.20s|%s"};
const TMessage rsTimeFmt{"rsTimeFmt", "hh:mm:ss"};
const TMessage rsDateFmt{"rsDateFmt", "dd/mm/yyyy"};
const TMessage rsStatWriteError{
    "rsStatWriteError",
    "Результаты не были сохранены в файле статистики из-за какой-то ошибки!\r\nПопробуем ещё раз?"};

const TMessage rsStatsSummary{"rsStatsSummary", "Итоги"};
const TMessage rsStatsMarkChart{"rsStatsMarkChart", "Число работ по школьным оценкам"};
const TMessage rsStatsMark{"rsStatsMark", "Оценка"};
const TMessage rsStatsRuns{"rsStatsRuns", "Работ"};
const TMessage rsStatsTopic{"rsStatsTopic", "Тема"};
const TMessage rsStatsAverage{"rsStatsAverage", "Средняя оценка"};

const TMessage* const* AllMessages(size_t& count) {
    static const TMessage* const all[] = {
        &rsWrongQstText, &rsAnsNotFound, &rsWrongAnsText, &rsRightAnsNotFound, &rsCompileTime, &rsQuestCount,
        &rsQstFilesNotFound, &rsConfirmClose, &rsNothingSelected, &rsSelectFolder, &rsCaption, &rsControlMode,
        &rsTutorMode, &rsQstNumber, &rsFinished, &rsTopics, &rsTimeSpent, &rsMarkFmt, &rsStatFmtHdr, &rsStatFmt,
        &rsTimeFmt, &rsDateFmt, &rsStatWriteError, &rsStatsSummary, &rsStatsMarkChart, &rsStatsMark, &rsStatsRuns,
        &rsStatsTopic, &rsStatsAverage};
    count = sizeof all / sizeof all[0];
    return all;
}

std::string Msg(const TLanguage& lang, const TMessage& m, std::initializer_list<FormatArg> args) {
    std::string text = lang.GetMessage(m.Id, m.Text());
    return args.size() == 0 ? text : Format(text, args);
}
